# make run | test | dist | clean. ./run and ./test (the README's two commands)
# install the tools first and then call make.
BUILD := build
DIST_BUILD := build/dist
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

# The release executable alone, from a clean build, and its SHA-256 sum.
dist:
	@rm -rf $(DIST_BUILD) && mkdir -p dist
	@$(call configure,$(DIST_BUILD),-DFWUPDATER_TESTS=OFF)
	@cmake --build $(DIST_BUILD) --target fwupdater -j $(JOBS)
	@cp $(DIST_BUILD)/fwupdater.exe dist/fwupdater.exe
	@cd dist && sha256sum fwupdater.exe > fwupdater.exe.sha256 && cat fwupdater.exe.sha256

clean:
	rm -rf $(BUILD) dist
