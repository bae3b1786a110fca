# Front door of the build. Every target installs what is missing first, so a
# fresh Debian 12 machine needs nothing by hand.
#
#   make run     build and start the application on its default corpus
#   make test    build and run every test
#   make bench   build and run the benchmarks (SIZE=words, default 1000000)
#   make asan    the core tests under AddressSanitizer and UBSan
#   make install the programs and their data under PREFIX (default /usr/local;
#                DESTDIR is honoured); make uninstall removes what it installed
#   make deb     a Debian package, left in build/

BUILD    ?= build
ASAN_DIR ?= build-asan
SIZE     ?= 1000000
JOBS     ?= $(shell nproc)
PREFIX   ?= /usr/local
# A compiler cache speeds up rebuilds when one is installed; nothing needs it.
CCACHE   := $(shell command -v ccache 2>/dev/null)
LAUNCHER := $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))

.PHONY: deps configure build test run bench asan install uninstall deb clean

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

# The prefix is applied here, at install time: the programs find their data
# relative to their own directory, so one build installs anywhere.
# CMake's own install_manifest.txt is rewritten by every install of the
# build tree (the packaging and its tests too) and leaves DESTDIR out, so
# make install keeps its own record for make uninstall.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"
	sed 's|^|$(DESTDIR)|' $(BUILD)/install_manifest.txt > $(BUILD)/installed-files.txt

uninstall:
	@scripts/uninstall.sh $(BUILD)

deb: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(ASAN_DIR)
