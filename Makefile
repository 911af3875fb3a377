# make run   install what is needed, build, convert the bundled sample PhotoCD
# make test  install what is needed, build, run every test (plain and ASan+UBSan),
#            then the tests that start threads under ThreadSanitizer

MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc)
RELEASE := build/release
SANITIZE := build/sanitize
TSAN := build/tsan
SAMPLE := samples/sample.pcd
OUT := $(CURDIR)/out
# Both builds read the Pro Photo CD trees the tests generate from one place.
PRO_DISCS := -DPIXMERA_PRO_DISCS=$(CURDIR)/build/generated/pro-discs
# ccache, where it is installed, lets several build folders share one cache.
LAUNCHER := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: run test bootstrap build build-sanitize build-tsan test-release test-sanitize test-tsan fuzz deb clean \
	windows windows-test windows-resources-test windows-installer windows-installer-test

bootstrap:
	@scripts/bootstrap

$(RELEASE)/CMakeCache.txt:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DPIXMERA_WERROR=ON $(PRO_DISCS) $(LAUNCHER)

$(SANITIZE)/CMakeCache.txt:
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DPIXMERA_WERROR=ON -DPIXMERA_SANITIZE=ON $(PRO_DISCS) $(LAUNCHER)

# ThreadSanitizer optimises (-O2) and keeps the line tables: the decoder's
# tests would crawl at -O0 under it.
$(TSAN)/CMakeCache.txt:
	cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIXMERA_WERROR=ON -DPIXMERA_TSAN=ON $(PRO_DISCS) $(LAUNCHER)

# The program, its engine module and its PhotoCD converter.
build: bootstrap $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j $(JOBS) --target pixmera

build-sanitize: bootstrap $(SANITIZE)/CMakeCache.txt
	cmake --build $(SANITIZE) -j $(JOBS)

run: build
	@mkdir -p $(OUT)
	$(RELEASE)/bin/pixmera -i $(SAMPLE) -o $(OUT)
	@echo "The TIFF is in $(OUT)/:" && ls -l $(OUT)/*.tiff

test-release: bootstrap $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j $(JOBS)
	cd $(RELEASE) && ctest --output-on-failure -j $(JOBS)

test-sanitize: build-sanitize
	cd $(SANITIZE) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# Only the test programs that start threads (and the program, its modules
# and its converter, which they run): the worker and its look-ahead, the
# converter, the window's conversions and the update check. Every report
# fails the test; tests/tsan.supp lists what lies in third-party libraries.
build-tsan: bootstrap $(TSAN)/CMakeCache.txt
	cmake --build $(TSAN) -j $(JOBS) --target pixmera_thread_tests

test-tsan: build-tsan
	cd $(TSAN) && TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp halt_on_error=1 second_deadlock_stack=1" \
	  ctest --output-on-failure -j $(JOBS) -L threads

test: test-release test-sanitize test-tsan

# libFuzzer targets (clang); not part of `make test`.
fuzz:
	@scripts/bootstrap --fuzz
	CC=clang CXX=clang++ cmake -S . -B build/fuzz -DPIXMERA_FUZZ=ON -DPIXMERA_TESTS=OFF
	cmake --build build/fuzz -j $(JOBS)

# The Debian package, built with CPack from the release build:
# build/release/pixmera_3.1-1_amd64.deb. scripts/check-package installs it
# in a clean Debian 12 and runs lintian on it.
deb: bootstrap $(RELEASE)/CMakeCache.txt
	cmake --build $(RELEASE) -j $(JOBS)
	cd $(RELEASE) && cpack -G DEB
	@ls $(RELEASE)/pixmera_*.deb

# The Windows build: cross-compiled with mingw-w64 against the dependency
# cache scripts/windows/build-deps fills (built when missing, reused while
# its recipe is unchanged), into the installable folder build/windows/:
# pixmera.exe, pixmera_ui.dll, pixmeracmd.exe, convert.exe,
# pixmera_base.dll, pixmera_engine.dll, the dependency and mingw runtime
# DLLs, gfx\ and docs\. WINDOWS_DEPS names an existing prefix instead.
# The CMake build tree is build/windows-build/.
WINDOWS_BUILD := build/windows-build
WINDOWS_WINE := $(CURDIR)/build/windows-wine
# wine for the tests: a private prefix, no debug output, no Mono or Gecko
# offers, no desktop integration; file names through a UTF-8 locale.
WINE_ENV := WINEPREFIX=$(WINDOWS_WINE)/prefix WINEDEBUG=-all LC_ALL=C.UTF-8 \
	WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="

windows:
	@scripts/bootstrap --windows
	@deps="$(WINDOWS_DEPS)"; [ -n "$$deps" ] || deps=$$(scripts/windows/build-deps | tail -n 1); \
	if [ ! -f $(WINDOWS_BUILD)/CMakeCache.txt ]; then \
	  cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DPIXMERA_WINDOWS_DEPS="$$deps" -DCMAKE_BUILD_TYPE=Release -DPIXMERA_WERROR=ON \
	    -DPIXMERA_WINDOWS_FOLDER=$(CURDIR)/$(WINDOWS_FOLDER) $(LAUNCHER); \
	fi
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target pixmera_windows_folder
	@echo "The installable folder is $(WINDOWS_FOLDER)/"

# The unit tests that mean the same on Windows, cross-built and run under
# wine through CTest (tests/windows/unit_tests.cmake lists those left out),
# then the console program's acceptance run (tests/windows/console_test.sh),
# the window program's screenshot run at 96 and 144 dpi
# (tests/windows/window_test.sh), convert.exe's pictures byte for byte
# against the Linux converter's (tests/windows/convert_test.sh) and the
# update check's WinHTTP fetch against local servers
# (tests/windows/http_fetch_test.sh), and the GUI tests of tests/ui/ with
# pixmera.exe driven from the keyboard on a private X display
# (tests/windows/gui_test.sh), and last the setup program installed,
# run and uninstalled silently (tests/windows/installer_test.sh, which
# makes the setup program when it is missing or older than the folder).
# The Linux release build is the reference the first three compare with.
windows-test: windows build
	@mkdir -p $(WINDOWS_WINE)/prefix
	@$(WINE_ENV) wineserver -p </dev/null >/dev/null 2>&1; \
	  $(WINE_ENV) wine wineboot </dev/null >/dev/null 2>&1
	@scripts/windows/prepare-wine-fonts $(WINDOWS_WINE)/prefix >/dev/null
	$(WINE_ENV) cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	cd $(WINDOWS_BUILD) && $(WINE_ENV) ctest --output-on-failure -j $(JOBS)
	JOBS=$(JOBS) tests/windows/console_test.sh $(WINDOWS_FOLDER)
	JOBS=$(JOBS) tests/windows/window_test.sh $(WINDOWS_FOLDER)
	JOBS=$(JOBS) tests/windows/convert_test.sh $(WINDOWS_FOLDER) $(RELEASE)
	JOBS=$(JOBS) tests/windows/http_fetch_test.sh
	JOBS=$(JOBS) tests/windows/gui_test.sh $(WINDOWS_FOLDER) $(WINDOWS_BUILD)
	JOBS=$(JOBS) tests/windows/installer_test.sh $(WINDOWS_FOLDER)
	@$(WINE_ENV) wineserver -k >/dev/null 2>&1 || true

# The Windows programs' icon, manifest and version information, proved by a
# small program cross-built with them and run under wine; when `make
# windows` has filled its folder, the same read back from pixmera.exe,
# pixmeracmd.exe and convert.exe there, and wxMSW's resources from the
# window module.
windows-resources-test:
	@scripts/bootstrap --windows
	JOBS=$(JOBS) tests/windows/resources_test.sh \
	  $(if $(wildcard $(WINDOWS_FOLDER)/pixmera.exe),--programs $(WINDOWS_FOLDER))

# The setup program, from the installable folder `make windows` fills:
# build/windows/pixmera-3.1-setup.exe. Per user or for all users, /S silent,
# /D= for the folder; see packaging/windows/pixmera.nsi.
WINDOWS_FOLDER ?= build/windows
windows-installer:
	@scripts/bootstrap --windows
	JOBS=$(JOBS) packaging/windows/build-installer $(WINDOWS_FOLDER) $(WINDOWS_FOLDER)/pixmera-3.1-setup.exe

# Installs and uninstalls the setup program under wine and compares the
# folders and registry before and after; in between the installed programs
# run (screenshots, the window, conversions) and must write nothing beside
# themselves. Needs only `make windows` (the setup program is made when
# missing or older than the folder); the programs the folder lacks are
# stand-ins, and the test says which.
windows-installer-test:
	@scripts/bootstrap --windows
	JOBS=$(JOBS) tests/windows/installer_test.sh $(WINDOWS_FOLDER)

clean:
	rm -rf build out
