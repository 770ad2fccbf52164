# Quick start: `make run` builds and starts the program, `make test` builds and runs every test.
# Both first install the Debian packages listed in tools/debian-packages.txt that are missing.

PACKAGES_FILE := tools/debian-packages.txt
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
DEFAULT_BUILD := build/default
WINDOWS_BUILD := build/windows
# Seconds of fuzzing for `make fuzz`, shared among the harnesses; `make test` runs a short smoke.
FUZZ_SECONDS ?= 300
FUZZ_SMOKE_SECONDS ?= 20
# `make test TEST_WINDOWS=0` leaves out the Windows build and its tests under Wine.
TEST_WINDOWS ?= 1

.PHONY: all deps configure build run test test-default test-asan test-windows windows-build package-windows format format-check screenshot fuzz fuzz-build fuzz-smoke bench package clean

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
	@if [ "$(TEST_WINDOWS)" != 0 ]; then $(MAKE) --no-print-directory test-windows; fi

# The core, pinwright-cli and their tests cross-built for 64-bit Windows with mingw-w64.
windows-build: deps
	cmake --preset windows
	cmake --build --preset windows

# The core tests and pinwright-cli's Windows checks under Wine, in a Wine prefix of the
# build's own (created by the first run).
test-windows: windows-build
	ctest --preset windows

# pinwright-cli.exe and the README in one zip, with fixed time stamps.
WINDOWS_ZIP := $(WINDOWS_BUILD)/pinwright-cli-windows-x86_64.zip
package-windows: windows-build
	rm -rf $(WINDOWS_BUILD)/package $(WINDOWS_ZIP)
	mkdir -p $(WINDOWS_BUILD)/package
	x86_64-w64-mingw32-strip -o $(WINDOWS_BUILD)/package/pinwright-cli.exe $(WINDOWS_BUILD)/src/cli/pinwright-cli.exe
	cp README.md $(WINDOWS_BUILD)/package/README.md
	cd $(WINDOWS_BUILD)/package && cmake -E tar cf ../$(notdir $(WINDOWS_ZIP)) --format=zip \
	  --mtime="$$(TZ=UTC git log -1 --date=format-local:"%Y-%m-%d %H:%M:%S" --format=%cd 2>/dev/null || echo 1980-01-01) UTC" pinwright-cli.exe README.md
	@echo "Windows package: $(WINDOWS_ZIP)"

# A Debian package of the default build (stripped), checked by lintian: build/package/.
# Every tag fails it, the informational and pedantic ones too, but that of a first upload.
package: build
	rm -f build/package/pinwright_*.deb
	cd $(DEFAULT_BUILD) && cpack -G DEB -B $(CURDIR)/build/package
	lintian --pedantic -I --fail-on error,warning,info,pedantic \
	  --suppress-tags initial-upload-closes-no-bugs build/package/pinwright_*.deb

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
