# make run | test | dist | linux | deb | clean. ./run and ./test (the README's
# two commands) install the tools first and then call make.
BUILD := build
DIST ?= dist
DIST_BUILD ?= build/dist
LINUX_BUILD := build/linux
JOBS ?= 2
TOOLCHAIN := -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
MAKEFLAGS += --no-print-directory
# $(call configure,DIRECTORY,OPTIONS): silent unless it fails. The Windows
# builds pass $(TOOLCHAIN); the Linux one is native.
configure = mkdir -p $(1) && cmake -S . -B $(1) -DCMAKE_RULE_MESSAGES=OFF $(2) \
	> $(1)/configure.log || (cat $(1)/configure.log; false)

.PHONY: all build run test dist linux linux-test deb clean

all: build

# Configured once; the build reconfigures by itself when a CMake file changes.
$(BUILD)/CMakeCache.txt:
	@$(call configure,$(BUILD),$(TOOLCHAIN))

build: $(BUILD)/CMakeCache.txt
	@cmake --build $(BUILD) -j $(JOBS)

# The Linux program (native, on libusb) and the variants its tests run.
$(LINUX_BUILD)/CMakeCache.txt:
	@$(call configure,$(LINUX_BUILD))

linux: $(LINUX_BUILD)/CMakeCache.txt
	@cmake --build $(LINUX_BUILD) --target fwupdater -j $(JOBS)

linux-test: $(LINUX_BUILD)/CMakeCache.txt
	@cmake --build $(LINUX_BUILD) -j $(JOBS)

# The .deb: the program and its udev rule. Dated by the last commit, so two
# builds of one commit give the same package.
deb: linux
	@cd $(LINUX_BUILD) && SOURCE_DATE_EPOCH=$$(git log -1 --format=%ct 2> /dev/null || echo 0) \
		cpack -G DEB > cpack.log || (cat cpack.log; false)
	@ls $(LINUX_BUILD)/package/*.deb

run: build
	@bash tools/run-updater.sh $(BUILD)

# make test ONLY="unplug japanese": only those checks or scenarios.
test: build linux-test
	@bash tests/run.sh $(BUILD) $(ONLY)

# The release executable alone, from a clean build, and its SHA-256 sum;
# signed when given a key (the README's release section and
# tools/sign-release.sh). The script reads these variables from the
# environment: the password and PIN travel only as the names of their files.
export SIGN_PKCS12 SIGN_PASSWORD_FILE SIGN_PKCS11_MODULE SIGN_KEY SIGN_CERT SIGN_PIN_FILE \
	SIGN_TIMESTAMP_URL
dist:
	@rm -rf $(DIST_BUILD) $(DIST)/fwupdater.exe $(DIST)/fwupdater.exe.sha256
	@$(call configure,$(DIST_BUILD),$(TOOLCHAIN) -DFWUPDATER_TESTS=OFF)
	@cmake --build $(DIST_BUILD) --target fwupdater -j $(JOBS)
	@bash tools/sign-release.sh $(DIST_BUILD)/fwupdater.exe $(DIST)

clean:
	rm -rf $(BUILD) $(DIST)
