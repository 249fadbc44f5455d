# The two commands of the README: `make run` and `make test`.
HOST_BUILD := build/host
WIN_BUILD := build/win32
JOBS ?= 2

.PHONY: run test deps host win host-test win-test fuzz bench

deps:
	bash tools/install-deps.sh

host: deps
	cmake -S . -B $(HOST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(HOST_BUILD) -j $(JOBS)

win: deps
	cmake -S . -B $(WIN_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
	cmake --build $(WIN_BUILD) -j $(JOBS)

host-test: host
	ctest --test-dir $(HOST_BUILD) --output-on-failure -j $(JOBS)

win-test: win
	ctest --test-dir $(WIN_BUILD) --output-on-failure

test: host-test win-test

# Long fuzzing of the discovery inputs: make fuzz FUZZ_SECONDS=600
FUZZ_SECONDS ?= 300
fuzz: host
	bash tests/fuzz/run.sh $(HOST_BUILD) $(FUZZ_SECONDS)

# Transfer worker cost beside the raw writes, in an optimised build without sanitizers.
bench: deps
	bash tests/bench/run.sh

run: win
	@if [ -x tests/e2e/run-updater.sh ]; then bash tests/e2e/run-updater.sh $(WIN_BUILD)/fwupdater.exe; \
	else echo "built $(WIN_BUILD)/fwupdater.exe"; fi
