# Nuntio - the three commands: make demo, make test, make dist.
# Each installs what it needs on a Debian 12 machine first (tools/setup-machine.sh).
SHELL := /bin/bash
JOBS ?= $(shell nproc)
B := build
CMAKE_FLAGS := -Wno-dev -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all setup dist test demo fuzz bench soak format clean native native-asan native-plain x64 x86 fuzz-build

all: dist

setup:
	@bash tools/setup-machine.sh

# ---- builds -------------------------------------------------------------
native: setup
	cmake -S . -B $(B)/native $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release -DNUNTIO_TESTS=OFF -DNUNTIO_BENCH=ON >/dev/null
	cmake --build $(B)/native -j $(JOBS) -- --no-print-directory

native-asan: setup
	cmake -S . -B $(B)/native-asan $(CMAKE_FLAGS) -DNUNTIO_SANITIZE=ON >/dev/null
	cmake --build $(B)/native-asan -j $(JOBS) -- --no-print-directory

# The core tests once more without the sanitizers: their allocator replaces
# the library's own slot allocator, which only this build tests.
native-plain: setup
	cmake -S . -B $(B)/native-plain $(CMAKE_FLAGS) >/dev/null
	cmake --build $(B)/native-plain -j $(JOBS) --target core_tests -- --no-print-directory

fuzz-build: setup
	cmake -S . -B $(B)/fuzz $(CMAKE_FLAGS) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DNUNTIO_FUZZ=ON -DNUNTIO_TESTS=OFF >/dev/null
	cmake --build $(B)/fuzz -j $(JOBS) -- --no-print-directory

x64: setup
	cmake -S . -B $(B)/x64 $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x64.cmake >/dev/null
	cmake --build $(B)/x64 -j $(JOBS) -- --no-print-directory

x86: setup
	cmake -S . -B $(B)/x86 $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86.cmake >/dev/null
	cmake --build $(B)/x86 -j $(JOBS) -- --no-print-directory

# ---- the three commands ---------------------------------------------------
dist: native x64 x86
	@bash tools/make-dist.sh $(B) dist

test: native-asan native-plain fuzz-build x64 x86
	@bash tools/run-tests.sh $(B)

demo: dist
	@bash tools/run-demo.sh dist

# ---- longer runs ----------------------------------------------------------
fuzz: fuzz-build
	@bash tools/run-fuzz.sh $(B)/fuzz 300

bench: native x64
	@bash tools/run-bench.sh $(B)

# The long forms of the crash tests and the load scenario (several minutes).
soak: native x64
	@bash tools/soak.sh $(B)

format:
	@git ls-files '*.h' '*.cpp' '*.c' | xargs clang-format -i

clean:
	rm -rf $(B) dist
