# Kivo's everyday commands. Each one installs missing Debian packages first
# (scripts/deps.sh, quick when nothing is missing), then drives CMake through
# the presets in CMakePresets.json:
#   build/        native (Linux), debug: unit tests, tools
#   build-win32/  x86_64-w64-mingw32 cross build, release: tests run under 64-bit Wine
#   build-fuzz/   clang, libFuzzer + ASan/UBSan fuzz targets
#   build-bench/  release benchmarks
#   build-package/ release kivo and kivo-render for the Debian package
SHELL := /bin/bash
# The builds use both cores already; make must not start two at once.
.NOTPARALLEL:
.DEFAULT_GOAL := build

FUZZ_SECONDS ?= 300

.PHONY: build deps native win32 fuzz-build bench-build test run demo windows package bench fuzz format clean

build: native

deps:
	@bash scripts/deps.sh

native: deps
	cmake --preset native
	cmake --build --preset native

win32: deps
	cmake --preset win32
	cmake --build --preset win32

fuzz-build: deps
	cmake --preset fuzz
	cmake --build --preset fuzz

bench-build: deps
	cmake --preset bench
	cmake --build --preset bench

# Every test of every tree: native (unit, scenario, x11), Windows under Wine
# (wine), and a few seconds of each fuzz target (fuzz).
test: native win32 fuzz-build
	@bash scripts/wine-run.sh --init build-win32
	@bash scripts/run-tests.sh native win32 fuzz

# The real Linux kivo: on $$DISPLAY in the foreground, or with no display a
# short headless showing on a private Xvfb (scripts/x11-demo.sh).
run: native
	@bash scripts/x11-demo.sh

# The scripted demo on the simulated desktop.
demo: native
	@bash scripts/demo.sh

# build-win32/kivo.exe and dist/kivo-VERSION-win64.zip (kivo.exe,
# kivo-render.exe and a read-me).
windows: win32
	cmake --build --preset win32 --target kivo_zip kivo_setup
	@echo "make windows: built build-win32/kivo.exe, packed" dist/kivo-*-win64.zip "and made" dist/kivo-*-setup.exe

# dist/kivo_VERSION-1_amd64.deb: kivo and kivo-render from the release tree
# build-package/, with the menu and autostart entries, icons, AppStream
# metadata and manual pages, packed by CPack (packaging/linux/package.cmake)
# with the dependencies dpkg-shlibdeps finds.
package: deps
	cmake --preset package
	cmake --build --preset package
	cpack --config build-package/CPackConfig.cmake

# Runs every benchmark program that bench/ builds, then measures kivo.exe's
# processor time and memory under Wine (bench/kivo-usage.sh, one minute;
# bench/wine-usage.sh, beside a bare Win32 program), the Linux kivo's on a
# private Xvfb (bench/x11-usage.sh, about two minutes), and the steady tick
# on sway, i3 and X11 side by side (bench/desktop-usage.sh).
bench: bench-build win32
	@for exe in build-bench/bench/*; do \
	  [[ -f "$$exe" && -x "$$exe" ]] || continue; \
	  echo "=== $$exe"; "$$exe" || exit 1; \
	done
	@echo "=== bench/kivo-usage.sh"; bash bench/kivo-usage.sh
	@echo "=== bench/x11-usage.sh"; bash bench/x11-usage.sh
	@echo "=== bench/wine-usage.sh"; bash bench/wine-usage.sh
	@echo "=== bench/desktop-usage.sh"; bash bench/desktop-usage.sh

# A longer fuzz run: FUZZ_SECONDS per target, random seeds, the corpus kept
# between runs in fuzz/corpus-work/ (not versioned) on top of the seeds.
fuzz: fuzz-build
	@for exe in build-fuzz/fuzz/fuzz_*; do \
	  [[ -f "$$exe" && -x "$$exe" ]] || continue; \
	  name=$$(basename "$$exe"); name=$${name#fuzz_}; \
	  mkdir -p fuzz/corpus-work/$$name fuzz/corpus-work/artifacts; \
	  seeds=fuzz/corpus/$$name; [[ -d $$seeds ]] || seeds=; \
	  echo "=== $$exe for $(FUZZ_SECONDS) s"; \
	  "$$exe" -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	    -artifact_prefix=fuzz/corpus-work/artifacts/$$name- fuzz/corpus-work/$$name $$seeds || exit 1; \
	done

# Reformats every C++ file in the repository with .clang-format.
format:
	git ls-files -co --exclude-standard '*.cpp' '*.h' | xargs clang-format -i

clean:
	@for dir in build build-win32 build-fuzz build-bench build-package; do \
	  [[ -f $$dir/build.ninja ]] && cmake --build $$dir --target clean; \
	done; true
