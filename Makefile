# make run | test | dist | linux | deb | clean. ./run and ./test (the README's
# two commands) install the tools first and then call make.
BUILD := build
DIST ?= dist
DIST_BUILD ?= build/dist
X64_BUILD := $(BUILD)/x64
LINUX_BUILD := $(BUILD)/linux
JOBS ?= 2
X86 := -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
X64 := -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake
MAKEFLAGS += --no-print-directory

# The build's inputs, taken by every target from its command line (paths from
# this folder); without them, the placeholder image and our own agreements.
# They reach the scripts and CMake through the environment, so no value is
# ever re-parsed by a shell.
FIRMWARE_IMAGE ?= resources/firmware_placeholder.bin
EULA_EN ?= resources/agreement_en.txt
EULA_JA ?= resources/agreement_ja.txt
TARGET_HARDWARE_ID ?= USB\VID_0E7A&PID_41C5
TARGET_ROUTE ?= PrintClass
export FIRMWARE_IMAGE EULA_EN EULA_JA TARGET_HARDWARE_ID TARGET_ROUTE
INPUTS = -DFIRMWARE_IMAGE="$$FIRMWARE_IMAGE" -DEULA_EN="$$EULA_EN" -DEULA_JA="$$EULA_JA" \
	-DTARGET_HARDWARE_ID="$$TARGET_HARDWARE_ID" -DTARGET_ROUTE="$$TARGET_ROUTE"

# $(call configure,DIRECTORY,OPTIONS): with the inputs; silent unless it fails.
# The Windows builds pass their toolchain; the Linux one is native.
configure = mkdir -p $(1) && cmake -S . -B $(1) -DCMAKE_RULE_MESSAGES=OFF $(INPUTS) $(2) \
	> $(1)/configure.log 2>&1 || (cat $(1)/configure.log; false)
# $(call release_build,DIRECTORY): the executable alone, silent unless it fails.
release_build = cmake --build $(1) --target fwupdater -j $(JOBS) > $(1)/build.log 2>&1 || \
	(cat $(1)/build.log; false)

.PHONY: all build run test dist linux linux-test deb clean FORCE

all: build

# Checked before anything is built, one line naming a bad input. The file
# changes only when the inputs do, and each build is configured again then;
# otherwise it reconfigures by itself when a CMake file changes.
$(BUILD)/inputs: FORCE
	@bash tools/build-inputs.sh check $@

$(BUILD)/CMakeCache.txt: $(BUILD)/inputs
	@$(call configure,$(BUILD),$(X86))

$(X64_BUILD)/CMakeCache.txt: $(BUILD)/inputs
	@$(call configure,$(X64_BUILD),$(X64))

# The Windows programs for i686 and x86-64, each with the variants its tests run.
build: $(BUILD)/CMakeCache.txt $(X64_BUILD)/CMakeCache.txt
	@cmake --build $(BUILD) -j $(JOBS)
	@cmake --build $(X64_BUILD) -j $(JOBS)

# The Linux program (native, on libusb) and the variants its tests run.
$(LINUX_BUILD)/CMakeCache.txt: $(BUILD)/inputs
	@$(call configure,$(LINUX_BUILD))

linux: $(LINUX_BUILD)/CMakeCache.txt
	@cmake --build $(LINUX_BUILD) --target fwupdater -j $(JOBS)

linux-test: $(LINUX_BUILD)/CMakeCache.txt
	@cmake --build $(LINUX_BUILD) -j $(JOBS)

# The .deb: the program, its udev rule and manual page. Dated by the last
# commit, so two builds of one commit give the same package.
deb: linux
	@cd $(LINUX_BUILD) && SOURCE_DATE_EPOCH=$$(git log -1 --format=%ct 2> /dev/null || echo 0) \
		cpack -G DEB > cpack.log || (cat cpack.log; false)
	@bash tools/build-inputs.sh describe $(LINUX_BUILD)/package/firmware.txt
	@ls $(LINUX_BUILD)/package/*.deb

run: build
	@bash tools/run-updater.sh $(BUILD)

# make test ONLY="unplug japanese": only those checks or scenarios.
test: build linux-test
	@bash tests/run.sh $(BUILD) $(ONLY)

# The release: the 32-bit executable for everybody and the 64-bit one, each
# from a clean build, their SHA-256 sums and what image they carry; signed
# when given a key (docs/release.md and tools/sign-release.sh). The script
# reads these variables from the environment: the password and PIN travel
# only as the names of their files. A bad input leaves no release behind.
export SIGN_PKCS12 SIGN_PASSWORD_FILE SIGN_PKCS11_MODULE SIGN_KEY SIGN_CERT SIGN_PIN_FILE \
	SIGN_TIMESTAMP_URL
RELEASE_FILES := fwupdater.exe fwupdater-x64.exe SHA256SUMS firmware.txt
dist:
	@rm -rf $(DIST_BUILD) $(addprefix $(DIST)/,$(RELEASE_FILES))
	@bash tools/build-inputs.sh check
	@$(call configure,$(DIST_BUILD)/x86,$(X86) -DFWUPDATER_TESTS=OFF)
	@$(call release_build,$(DIST_BUILD)/x86)
	@$(call configure,$(DIST_BUILD)/x64,$(X64) -DFWUPDATER_TESTS=OFF)
	@$(call release_build,$(DIST_BUILD)/x64)
	@bash tools/sign-release.sh $(DIST) $(DIST_BUILD)/x86/fwupdater.exe=fwupdater.exe \
		$(DIST_BUILD)/x64/fwupdater.exe=fwupdater-x64.exe
	@bash tools/build-inputs.sh describe $(DIST)/firmware.txt

clean:
	rm -rf $(BUILD) $(DIST)
