# Zuver Aduz: the two commands.
#
#   make demo   build everything, denoise a noisy speech sample with
#               zuver-aduz and draw its before/after spectrogram
#   make test   build everything and run every test of every build
#
# Builds live under build/: native (x86-64), native-asan (AddressSanitizer
# and UndefinedBehaviorSanitizer), native-tsan (ThreadSanitizer), native32
# (32-bit x86), win32 (the DLL, cross-built with mingw-w64) and fuzz (clang,
# libFuzzer).

SHELL := /bin/bash
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CTEST := ctest --output-on-failure -j2
CONFIGURE := cmake -S . -Wno-dev
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1
export ASAN_OPTIONS ?= detect_leaks=1

BUILDS := native native-asan native-tsan native32 win32 fuzz

.PHONY: demo test setup build $(addprefix build-,$(BUILDS)) $(addprefix test-,$(BUILDS))

demo: setup build-native build-win32
	@tools/show-exports build/win32/ZuverAduz.dll | head -n 8
	@echo
	@tools/demo.sh "$(CURDIR)/build/native/zuver-aduz" "$(CURDIR)/build/demo"

test: setup
	@$(MAKE) --no-print-directory $(addprefix test-,$(BUILDS))
	@echo "make test: every build passed its tests"

setup:
	@bash tools/setup.sh

build: $(addprefix build-,$(BUILDS))

build-native:
	$(CONFIGURE) -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build/native -j$(JOBS)

build-native-asan:
	$(CONFIGURE) -B build/native-asan -DCMAKE_BUILD_TYPE=Debug -DZR_SANITIZE=ON
	cmake --build build/native-asan -j$(JOBS)

# pkg-config must find 32-bit libraries only (none, where no :i386 -dev
# package is installed, so what needs one is left out of this build).
build-native-tsan:
	$(CONFIGURE) -B build/native-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZR_TSAN=ON
	cmake --build build/native-tsan -j$(JOBS) --target zr_unit_tests

build-native32: export PKG_CONFIG_LIBDIR := /usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig
build-native32:
	$(CONFIGURE) -B build/native32 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZR_M32=ON
	cmake --build build/native32 -j$(JOBS)

# The Windows tests compare zrhost's results with the native zuver-aduz.
build-win32: build-native
	$(CONFIGURE) -B build/win32 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DZR_NATIVE_BUILD=$(CURDIR)/build/native
	cmake --build build/win32 -j$(JOBS)

build-fuzz:
	CC=clang CXX=clang++ $(CONFIGURE) -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZR_FUZZ=ON -DZR_SANITIZE=ON -DZR_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build build/fuzz -j$(JOBS) --target zr_fuzz_command

test-native: build-native
	cd build/native && $(CTEST)

test-native-asan: build-native-asan
	cd build/native-asan && $(CTEST)

# The threads that share the plug-in (audio, automation) under ThreadSanitizer.
test-native-tsan: build-native-tsan
	cd build/native-tsan && TSAN_OPTIONS=halt_on_error=1 tests/zr_unit_tests --gtest_brief=1

test-native32: build-native32
	cd build/native32 && $(CTEST)

# The Windows programs run under Wine where Wine works; elsewhere they are
# reported as skipped (tools/wine-run says why).
test-win32: build-win32
	cd build/win32 && $(CTEST)

# Only the fuzz target is built there; run its labelled test.
test-fuzz: build-fuzz
	cd build/fuzz && $(CTEST) -L fuzz
