# Korvane Resonix — top-level targets. Every target installs missing Debian packages first.
BUILD      ?= build
SANITIZE   ?= build-sanitize
FUZZBUILD  ?= build-fuzz
FUZZ_SECONDS ?= 600
TSAN       ?= build-tsan
# The tests where host, audio and editor threads meet.
TSAN_TESTS := test_instance test_editor test_vst2 test_vst3
WINBUILD   ?= build-win
GENERATOR  := -G Ninja
CMAKE_ARGS ?=

.PHONY: all setup configure build demo test bench sanitize tsan fuzz install clean windows test-windows package package-windows

all: build

setup:
	@bash scripts/setup

# The static libraries the shipped binaries carry (built once into $(BUILD)/deps); without them the
# build still works but cannot be packaged.
configure: setup
	@bash scripts/setup-portable $(BUILD)/deps || echo "configure: no static libraries; this build cannot be packaged" >&2
	@cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

install: build
	@bash scripts/install-plugins $(BUILD)

demo: install
	@bash scripts/run-demo $(BUILD)

# The Windows phase runs after the Linux tests, when the cross tools and Wine can be installed.
test: build
	@bash scripts/run-tests $(BUILD)
	@bash tests/win/test-phase $(WINBUILD)

bench: configure
	@cmake --build $(BUILD)
	@bash scripts/run-bench $(BUILD)

sanitize: setup
	@cmake -S . -B $(SANITIZE) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRESONIX_SANITIZE=ON -DRESONIX_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	@cmake --build $(SANITIZE)
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		bash scripts/run-tests $(SANITIZE)

# ThreadSanitizer over the threaded tests; any report fails the run.
tsan: setup
	@cmake -S . -B $(TSAN) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRESONIX_TSAN=ON -DRESONIX_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	@cmake --build $(TSAN) --target $(TSAN_TESTS)
	@TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 bash scripts/run-tests $(TSAN) $(TSAN_TESTS)

# Every fuzz target for FUZZ_SECONDS each, built with clang under ASan and UBSan in $(FUZZBUILD).
fuzz:
	@RESONIX_EXTRA_PACKAGES="clang-14 libclang-rt-14-dev" bash scripts/setup
	@cmake -S . -B $(FUZZBUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
		-DCMAKE_CXX_COMPILER=clang++-14 -DRESONIX_FUZZ=ON -DRESONIX_TESTS=OFF -DRESONIX_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	@cmake --build $(FUZZBUILD) --target fuzz_rzn fuzz_calibration fuzz_state fuzz_vst2_chunk fuzz_vst3_state fuzz_png fuzz_roundtrip
	@bash scripts/run-fuzz $(FUZZBUILD) $(FUZZ_SECONDS)

# The Windows x64 VST3 and resonix.exe, cross-built with mingw-w64 into $(WINBUILD); their tests run under Wine.
windows:
	@bash scripts/build-windows $(WINBUILD)

test-windows: windows
	@bash tests/win/run-tests $(WINBUILD)

# The release packages with their SHA256SUMS: Linux in $(BUILD)/dist after the Linux tests, Windows
# in $(WINBUILD)/dist after its tests under Wine.
package: build
	@bash scripts/run-tests $(BUILD)
	@bash packaging/make-linux-package $(BUILD) $(BUILD)/dist

package-windows: test-windows
	@bash packaging/make-windows-package $(WINBUILD) $(WINBUILD)/dist

clean:
	@rm -rf $(BUILD) $(SANITIZE) $(TSAN) $(FUZZBUILD) $(WINBUILD)
