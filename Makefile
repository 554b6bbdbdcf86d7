# Front door: `make run` and `make test` do all the set-up on a fresh Debian 12 machine.
PRESET ?= default
BUILD_DIR := build/$(PRESET)

.PHONY: deps configure build run test asan tsan soak bench fuzz demo install package clean format

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

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, or under ThreadSanitizer, each
# in a build of its own (build/asan, build/tsan).
asan tsan: deps
	@cmake --preset $@ >/dev/null
	@nice -n 10 cmake --build --preset $@ -j2
	@ctest --test-dir build/$@ --output-on-failure --no-tests=error -j2

# The poll cycle over DAYS simulated days (the test suite runs 30), then a day of the tray program's
# polls at one a second, checking that its memory stays flat (eight minutes).
DAYS ?= 30
soak: build
	@ZELVORA_SOAK_DAYS=$(DAYS) $(BUILD_DIR)/tests/soak/test_soak
	@bash tests/shell/run-with-display.sh bash tests/soak/memory-soak.sh $(BUILD_DIR)

# Every libFuzzer target for SECONDS each (clang, AddressSanitizer and UndefinedBehaviorSanitizer, in
# build/fuzz), with a line of runs and crashes per target.
SECONDS ?= 60
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@nice -n 10 cmake --build --preset fuzz --target fuzz_targets -j2
	@bash fuzz/run-fuzzers.sh build/fuzz $(SECONDS)

# FOOTPRINT_IDLE: seconds of idle CPU measurement in the footprint table (ten minutes by default).
FOOTPRINT_IDLE ?= 600

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done
	@bash tests/shell/run-with-display.sh bash bench/footprint.sh $(BUILD_DIR) $(FOOTPRINT_IDLE)

install: build
	@cmake --install $(BUILD_DIR)

package: build
	@cd $(BUILD_DIR) && cpack -G DEB >/dev/null && ls -1 $(CURDIR)/$(BUILD_DIR)/zelvora_*.deb

clean:
	@rm -rf build

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i
