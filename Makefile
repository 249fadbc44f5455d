# make run | test | dist | clean. ./run and ./test (the README's two commands)
# install the tools first and then call make.
BUILD := build
DIST ?= dist
DIST_BUILD ?= build/dist
JOBS ?= 2
TOOLCHAIN := -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
MAKEFLAGS += --no-print-directory
# $(call configure,DIRECTORY,OPTIONS): silent unless it fails.
configure = mkdir -p $(1) && cmake -S . -B $(1) $(TOOLCHAIN) -DCMAKE_RULE_MESSAGES=OFF $(2) \
	> $(1)/configure.log || (cat $(1)/configure.log; false)

.PHONY: all build run test dist clean

all: build

# Configured once; the build reconfigures by itself when a CMake file changes.
$(BUILD)/CMakeCache.txt:
	@$(call configure,$(BUILD))

build: $(BUILD)/CMakeCache.txt
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash tools/run-updater.sh $(BUILD)

# make test ONLY="unplug japanese": only those checks or scenarios.
test: build
	@bash tests/run.sh $(BUILD) $(ONLY)

# The release executable alone, from a clean build, and its SHA-256 sum;
# signed when given a key (the README's release section and
# tools/sign-release.sh). The script reads these variables from the
# environment: the password and PIN travel only as the names of their files.
export SIGN_PKCS12 SIGN_PASSWORD_FILE SIGN_PKCS11_MODULE SIGN_KEY SIGN_CERT SIGN_PIN_FILE \
	SIGN_TIMESTAMP_URL
dist:
	@rm -rf $(DIST_BUILD) $(DIST)/fwupdater.exe $(DIST)/fwupdater.exe.sha256
	@$(call configure,$(DIST_BUILD),-DFWUPDATER_TESTS=OFF)
	@cmake --build $(DIST_BUILD) --target fwupdater -j $(JOBS)
	@bash tools/sign-release.sh $(DIST_BUILD)/fwupdater.exe $(DIST)

clean:
	rm -rf $(BUILD) $(DIST)
