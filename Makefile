# Korvane Resonix — top-level targets. Every target installs missing Debian packages first.
BUILD      ?= build
SANITIZE   ?= build-sanitize
GENERATOR  := -G Ninja
CMAKE_ARGS ?=

.PHONY: all setup configure build demo test bench sanitize install clean

all: build

setup:
	@bash scripts/setup

configure: setup
	@cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

install: build
	@bash scripts/install-plugins $(BUILD)

demo: install
	@bash scripts/run-demo $(BUILD)

test: build
	@bash scripts/run-tests $(BUILD)

bench: configure
	@cmake --build $(BUILD)
	@bash scripts/run-bench $(BUILD)

sanitize: setup
	@cmake -S . -B $(SANITIZE) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRESONIX_SANITIZE=ON -DRESONIX_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	@cmake --build $(SANITIZE)
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		bash scripts/run-tests $(SANITIZE)

clean:
	@rm -rf $(BUILD) $(SANITIZE)
