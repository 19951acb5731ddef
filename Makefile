# Front door: `make run` builds and starts the game, `make test` builds and runs every test.
# Both install the Debian packages the project needs first (tools/install-deps.sh).

MAKEFLAGS += --no-print-directory

BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run test test-fast test-asan clean

all: build

deps:
	@sh tools/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/zelmo

# Every test, then the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test: test-fast test-asan

test-fast: build
	cd $(BUILD) && ctest --output-on-failure

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZELMO_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
