# Front door over CMake. `make test` does every set-up step itself.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= 2
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all deps build build-asan test test-asan run demo bench clean fuzz fuzz-replay

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# The non-GUI tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELKARO_GUI=OFF -DVELKARO_SANITIZE=ON

build-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

test: build test-asan fuzz-replay
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# libFuzzer harnesses (fuzz/), built with clang and the sanitizers in their own folder.
$(FUZZ_BUILD)/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVELKARO_GUI=OFF -DVELKARO_FUZZ=ON -DBUILD_TESTING=OFF

# Every harness for FUZZ_SECONDS from its corpus; FUZZ_MERGE=1 keeps what adds coverage.
fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	FUZZ_BUILD=$(FUZZ_BUILD) FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) fuzz/fuzz.sh

# Every corpus input once, kept crash inputs included; fails on any sanitizer report.
fuzz-replay: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	FUZZ_BUILD=$(FUZZ_BUILD) fuzz/replay.sh

run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then echo "make run: no display (set DISPLAY, or use xvfb-run make run)"; exit 1; fi
	./$(BUILD)/velkaro

demo: build
	BUILD=$(BUILD) scripts/demo

# Benchmarks (bench/): Release build with the window, figures printed; see BENCHMARKS.md.
BENCH_BUILD ?= build-bench
bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELKARO_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target benchmarks
	BUILD=$(BENCH_BUILD) bench/run.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
