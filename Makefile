# Entry points for a fresh Debian 12 machine: `make run` and `make test`.
# Both install what the machine lacks first (scripts/setup.sh), then build.
SHELL := /bin/bash
BUILD := build
JOBS ?= $(shell nproc)
CTEST_FLAGS ?= --output-on-failure -j $(JOBS)
DHPACK := $(abspath $(BUILD))/tools/tools/dhpack/dhpack

.PHONY: all setup build host host32 tools win64 win32 fuzz fuzz-long bench test test-host test-host32 test-wine test-release test-fuzz run clean

all: build

setup:
	@bash scripts/setup.sh

# Configure once per build folder; Ninja re-runs CMake itself when a CMakeLists changes.
$(BUILD)/host/build.ninja:
	cmake -S . -B $(BUILD)/host -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1 -g"
# The engines and their tests as 32-bit code, run under qemu-i386.
$(BUILD)/host32/build.ninja:
	cmake -S . -B $(BUILD)/host32 -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-host32.cmake
$(BUILD)/win64/build.ninja:
	cmake -S . -B $(BUILD)/win64 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake -DDH_DHPACK=$(DHPACK)
$(BUILD)/win32/build.ninja:
	cmake -S . -B $(BUILD)/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DDH_DHPACK=$(DHPACK)

$(BUILD)/fuzz/build.ninja:
	cmake -S . -B $(BUILD)/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDH_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++

$(BUILD)/tools/build.ninja:
	cmake -S . -B $(BUILD)/tools -G Ninja -DCMAKE_BUILD_TYPE=Release -DDH_TOOLS=ON

host: setup $(BUILD)/host/build.ninja
	cmake --build $(BUILD)/host -j $(JOBS)
host32: setup $(BUILD)/host32/build.ninja
	cmake --build $(BUILD)/host32 -j $(JOBS)
# The payload tool, optimised, on the build machine: the windows builds run it to make
# the installer's "DAT" resources, and the benchmarks time it.
tools: setup $(BUILD)/tools/build.ninja
	cmake --build $(BUILD)/tools -j $(JOBS)
win64: tools $(BUILD)/win64/build.ninja
	cmake --build $(BUILD)/win64 -j $(JOBS)
win32: tools $(BUILD)/win32/build.ninja
	cmake --build $(BUILD)/win32 -j $(JOBS)

fuzz: setup $(BUILD)/fuzz/build.ninja
	cmake --build $(BUILD)/fuzz -j $(JOBS)

# Benchmarks run on demand, against independent tools, with an optimised build.
bench: tools
	bash bench/decode/run.sh $(DHPACK)
	bash bench/pack/run.sh $(DHPACK)
	bash bench/scale/run.sh $(DHPACK)

build: host host32 win64 win32 fuzz

test-host: host
	ctest --test-dir $(BUILD)/host $(CTEST_FLAGS)
test-host32: host32
	ctest --test-dir $(BUILD)/host32 $(CTEST_FLAGS)
# The Wine tests share one prefix, one virtual X server and one persistent wineserver.
test-wine: win64
	bash scripts/with-wine.sh ctest --test-dir $(BUILD)/win64 $(CTEST_FLAGS)
test-release: win32
	ctest --test-dir $(BUILD)/win32 $(CTEST_FLAGS)

# Each fuzz target for a bounded time (FUZZ_SECONDS).
FUZZ_SECONDS ?= 15
test-fuzz: fuzz
	bash scripts/fuzz.sh $(FUZZ_SECONDS)
# A campaign, not part of `make test`: each target (or those in FUZZ_TARGETS) until
# FUZZ_LONG_SECONDS have passed or it has run FUZZ_LONG_RUNS inputs (0: no limit).
FUZZ_LONG_SECONDS ?= 600
FUZZ_LONG_RUNS ?= 0
fuzz-long: fuzz
	bash scripts/fuzz.sh --campaign --time $(FUZZ_LONG_SECONDS) --runs $(FUZZ_LONG_RUNS) $(FUZZ_TARGETS)

test: test-host test-host32 test-wine test-release test-fuzz

# Builds, then installs the viewer under Wine through the whole wizard and shows what was
# installed (own prefix build/wine-run); DH_RUN_UPDATE=1 adds an "-ai" update;
# INTERACTIVE=1 leaves the installer to the person at the screen when there is a display.
run: win64 win32
	bash scripts/run.sh

# The release: a clean win32 build of the installer from the vendor's inputs (DH_PAYLOAD,
# DH_README, DH_SETUP_VERSION; signed with DH_SIGN_PKCS12 and DH_SIGN_PASSWORD_FILE),
# listed, summed and verified into build/release (scripts/release.sh).
.PHONY: release
release: tools
	bash scripts/release.sh $(DHPACK)

clean:
	rm -rf $(BUILD)
