# The README's commands. Everything else is CMake.
BUILD ?= build
DEMO  := $(BUILD)/data/demo/demo.sdw
CMAKE_FLAGS ?=

.PHONY: run test deb deps configure build fuzz clean

run: deps build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session." >&2; \
	  exit 1; \
	fi
	@if [ -f "$(DEMO)" ]; then exec "$(BUILD)/bin/slidewright" "$(abspath $(DEMO))"; \
	else exec "$(BUILD)/bin/slidewright"; fi

test: deps build
	cd "$(BUILD)" && ctest --output-on-failure --timeout 600 -j2
	scripts/run-fuzzers

# slidewright_<version>_<arch>.deb in the build folder.
deb: deps build
	cd "$(BUILD)" && cpack -G DEB

deps:
	@scripts/install-deps

configure:
	@if [ ! -f "$(BUILD)/build.ninja" ]; then \
	  cmake -S . -B "$(BUILD)" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSLIDEWRIGHT_WERROR=ON $(CMAKE_FLAGS); \
	fi

build: configure
	cmake --build "$(BUILD)"

clean:
	rm -rf "$(BUILD)" build-fuzz
