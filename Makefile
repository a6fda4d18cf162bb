# Vortalis: build, test and benchmark entry points. Every target installs missing
# Debian packages first, so these work on a fresh machine as root.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
CTEST_FLAGS ?= --output-on-failure -j $(JOBS)
# Under wine every test program shares the prefix's user folders (the preset file, the
# configuration files), so the Windows programs run one after another.
WINE_CTEST_FLAGS ?= --output-on-failure -j 1

.PHONY: all deps build build-native build-windows demo test test-native test-windows \
        test-asan test-tsan fuzz bench clean

all: build

deps:
	@scripts/install-deps

build: deps build-native build-windows

build-native: deps
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS)

build-windows: deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows -j $(JOBS)

# The built-in demonstration signal rendered through the built plug-in.
demo: build-native
	@mkdir -p build/demo
	@build/native/plugins/vortalis demo build/demo/vortalis-demo.wav
	@echo "Rendered:  build/demo/vortalis-demo.wav"
	@echo "Plug-in:   build/native/plugins/Vortalis.vst3 (VST 3 bundle), build/native/plugins/Vortalis.so (VST 2.4)"
	@echo "Tool:      build/native/plugins/vortalis --help"
	@echo "Windows:   make build-windows gives build/windows/plugins/Vortalis.vst3 and Vortalis.dll"

# Unit and host tests natively, then the same tests as Windows programs under wine64.
test: build
	@rm -f build/native/test-results/*.xml build/windows/test-results/*.xml && mkdir -p build/native/test-results build/windows/test-results
	@ctest --test-dir build/native $(CTEST_FLAGS)
	@ctest --test-dir build/windows $(WINE_CTEST_FLAGS)
	@scripts/test-summary build/native build/windows

test-native: build-native
	@rm -f build/native/test-results/*.xml && mkdir -p build/native/test-results
	@ctest --test-dir build/native $(CTEST_FLAGS)
	@scripts/test-summary build/native

test-windows: build-windows
	@rm -f build/windows/test-results/*.xml && mkdir -p build/windows/test-results
	@ctest --test-dir build/windows $(WINE_CTEST_FLAGS)
	@scripts/test-summary build/windows

# Address and undefined-behaviour sanitizers over every native test.
test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@rm -f build/asan/test-results/*.xml && mkdir -p build/asan/test-results
	@ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build/asan $(CTEST_FLAGS)
	@scripts/test-summary build/asan

# Thread sanitizer over every native test (the lock, thread and concurrent engine tests).
test-tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)
	@rm -f build/tsan/test-results/*.xml && mkdir -p build/tsan/test-results
	@TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --test-dir build/tsan $(CTEST_FLAGS)
	@scripts/test-summary build/tsan

# Every fuzz target (libFuzzer, clang) for FUZZ_SECONDS each from the committed seeds;
# new inputs are kept in build/fuzz/corpus, crashes and hangs in build/fuzz/findings.
FUZZ_SECONDS ?= 60
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target vortalis_fuzzers
	@scripts/run-fuzzers build/fuzz $(FUZZ_SECONDS)

bench: deps
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench -j $(JOBS)
	@for b in build/bench/bench/bench_*; do [ -x "$$b" ] && "$$b" --benchmark_counters_tabular=true; done; true

clean:
	rm -rf build
