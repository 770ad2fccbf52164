# Quick start: `make run` builds and starts the program, `make test` builds and runs every test.
# Both first install the Debian packages listed in tools/debian-packages.txt that are missing.

PACKAGES_FILE := tools/debian-packages.txt
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
DEFAULT_BUILD := build/default
# Seconds of fuzzing for `make fuzz`, shared among the harnesses; `make test` runs a short smoke.
FUZZ_SECONDS ?= 300
FUZZ_SMOKE_SECONDS ?= 20

.PHONY: all deps configure build run test test-default test-asan format format-check screenshot fuzz fuzz-build fuzz-smoke bench package clean

all: build

deps:
	@missing=$$(for p in $$(grep -v -E '^\s*(#|$$)' $(PACKAGES_FILE)); do \
	  dpkg-query -W -f='$${Status}' "$$p" 2>/dev/null | grep -q 'ok installed' || echo "$$p"; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:" $$missing; \
	  $(SUDO) apt-get update && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y $$missing; \
	fi

configure: deps
	cmake --preset default

build: configure
	cmake --build --preset default

run: build
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
	  exec $(DEFAULT_BUILD)/src/ui/pinwright; \
	else \
	  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set): generating the default project with pinwright-cli instead."; \
	  $(DEFAULT_BUILD)/src/cli/pinwright-cli generate; \
	fi

test: build
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset default
	ctest --preset asan
	$(MAKE) --no-print-directory format-check
	$(MAKE) --no-print-directory package
	$(MAKE) --no-print-directory fuzz-smoke

# A Debian package of the default build (stripped), checked by lintian: build/package/.
package: build
	rm -f build/package/pinwright_*.deb
	cd $(DEFAULT_BUILD) && cpack -G DEB -B $(CURDIR)/build/package
	lintian --fail-on error build/package/pinwright_*.deb

# The libFuzzer harnesses (clang, sanitizers) in build/fuzz.
fuzz-build: deps
	cmake --preset fuzz
	cmake --build --preset fuzz

fuzz: fuzz-build
	fuzz/run-fuzz.sh $(FUZZ_SECONDS)

# A short run from the seed corpus so the harnesses keep building and finding nothing.
fuzz-smoke: fuzz-build
	fuzz/run-fuzz.sh $(FUZZ_SMOKE_SECONDS) --fresh

# Benchmarks in the optimised build: in-memory generation, .cfg round trip, the command-line
# tool end to end against a plain copy, and the desktop program's start.
bench: deps
	cmake --preset bench
	cmake --build --preset bench
	bench/run-bench.sh

format:
	find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | xargs clang-format -i

format-check:
	@find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | xargs clang-format --dry-run --Werror && echo "Formatting: clean"

# The main window as docs/screenshot.png, and under a light and a dark desktop theme, drawn
# offscreen (no display needed).
screenshot: build
	mkdir -p docs
	QT_QPA_PLATFORM=offscreen $(DEFAULT_BUILD)/src/ui/pinwright-screenshot docs/screenshot.png everything
	QT_QPA_PLATFORM=offscreen $(DEFAULT_BUILD)/src/ui/pinwright-screenshot docs/screenshot-light.png
	QT_QPA_PLATFORM=offscreen $(DEFAULT_BUILD)/src/ui/pinwright-screenshot docs/screenshot-dark.png dark

clean:
	rm -rf build
