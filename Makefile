# Front door over CMake. `make test` does every set-up step itself.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= 2

.PHONY: all deps build build-asan test test-asan run demo bench clean

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

test: build test-asan
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then echo "make run: no display (set DISPLAY, or use xvfb-run make run)"; exit 1; fi
	./$(BUILD)/velkaro

demo: build
	BUILD=$(BUILD) scripts/demo

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
