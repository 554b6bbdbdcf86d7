# Front door: `make run` and `make test` do all the set-up on a fresh Debian 12 machine.
PRESET ?= default
BUILD_DIR := build/$(PRESET)

.PHONY: deps configure build run test bench demo install clean format

deps:
	@bash scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j2

run: build
	@bash scripts/run-zelvora $(BUILD_DIR)/src/zelvora

demo: build
	@bash scripts/run-zelvora $(BUILD_DIR)/src/zelvora --demo

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure --no-tests=error -j2

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

install: build
	@cmake --install $(BUILD_DIR)

clean:
	@rm -rf build

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i
