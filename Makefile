# Front door of the build. Every target installs what is missing first, so a
# fresh Debian 12 machine needs nothing by hand.
#
#   make run     build and start the application on its default corpus
#   make test    build and run every test
#   make bench   build and run the benchmarks (SIZE=words, default 1000000)
#   make asan    the core tests under AddressSanitizer and UBSan

BUILD    ?= build
ASAN_DIR ?= build-asan
SIZE     ?= 1000000
JOBS     ?= $(shell nproc)
# A compiler cache speeds up rebuilds when one is installed; nothing needs it.
CCACHE   := $(shell command -v ccache 2>/dev/null)
LAUNCHER := $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))

.PHONY: deps configure build test run bench asan clean

deps:
	@scripts/deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)

bench: build
	@scripts/bench.sh $(BUILD) $(SIZE)

asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORVIA_SANITIZE=ON -DZORVIA_BUILD_GUI=OFF $(LAUNCHER)
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_DIR)
