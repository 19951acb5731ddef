# SPDX-License-Identifier: MIT
# Front door: `make run` builds and starts the game, `make check` runs the unit suites, `make test`
# builds and runs every test. Each installs the Debian packages it needs first (tools/install-deps.sh):
# `make`, `make run`, `make check` and `make install` only those to build and play.

MAKEFLAGS += --no-print-directory

BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: mutants all deps deps-run deps-dist deps-package deps-package-check deps-web web serve configure build run check test \
	test-fast test-asan test-fuzz-corpus fuzz fuzz-build bench pictures install dist package package-check package-install-check \
	soak clean

all: build

# The Debian packages: to build and play (deps-run), for the browser build (deps-web), to pack the
# release (deps-dist), to build the package (deps-package), to check it (deps-package-check), for
# every test (deps).
deps-run:
	@sh tools/install-deps.sh run
deps:
	@sh tools/install-deps.sh test
deps-dist:
	@sh tools/install-deps.sh dist
deps-package:
	@sh tools/install-deps.sh package
deps-package-check:
	@sh tools/install-deps.sh package-check
deps-web:
	@sh tools/install-deps.sh web

configure:
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: deps-run configure
	@cmake --build $(BUILD) -j$(JOBS)

# Builds only what the game needs, then starts it.
run: deps-run configure
	@cmake --build $(BUILD) -j$(JOBS) --target zelmo
	$(BUILD)/zelmo

# The browser build, by Debian's emscripten: the site in build-web/site (the page, zelmo.js,
# zelmo.wasm, the manifest, the worker and the icons, compressed beside themselves with gzip and
# brotli), nothing else in it. (Debian's emscripten finds its acorn through NODE_PATH when node is
# not Debian's own.)
WEB_BUILD ?= build-web
export NODE_PATH := /usr/share/nodejs$(if $(NODE_PATH),:$(NODE_PATH))
web: deps-web configure
	@cmake --build $(BUILD) -j$(JOBS) --target embed_file
	@emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DZELMO_EMBED_TOOL=$(abspath $(BUILD))/embed_file >/dev/null
	@cmake --build $(WEB_BUILD) -j$(JOBS)
	@ls -1 $(WEB_BUILD)/site/zelmo.html

# The site served for local play on http://localhost:$(PORT)/ (the page), with the types,
# compression and cache headers the README's "Hosting" asks of a host.
PORT ?= 8000
serve: web
	/usr/bin/python3 platform/web/serve.py $(WEB_BUILD)/site $(PORT)

# The unit suites, quickly: the two unit programs whole and side by side, the first round in a process
# of its own (as make mutants runs them); only failures and each program's count are shown (and what
# is compiled, when anything is). In the build folder, `ctest -L unit` runs the same cases one process
# each, `ctest -R NAME` some of them. First the README's figure of clang-format's verdict on the tree.
check: deps-run configure
	@bash tools/readme_figures.sh format
	@bash -o pipefail -c 'cmake --build $(BUILD) -j$(JOBS) --target framework_tests game_tests | sed "/] Built target /d"'
	@bash tools/unit_suites.sh $(BUILD)

# Every test, then the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test: test-fast test-fuzz-corpus test-asan

test-fast: deps build web
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

test-asan: deps web
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZELMO_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ZELMO_SANITIZED=1 ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j$(JOBS)

# The soak test: SOAK_SECONDS of seeded hostile input against the real game under Xvfb.
SOAK_SECONDS ?= 600
SOAK_SEED ?= 1
soak: deps build
	SCREEN_PROBE=$(abspath $(BUILD))/tests/screen_probe bash tests/e2e/soak.sh $(BUILD)/zelmo $(SOAK_SECONDS) $(SOAK_SEED)

# Installs under PREFIX (default /usr/local): the program, its desktop entry, metainfo, icons, manual
# page and completion. Builds only what it installs.
PREFIX ?= /usr/local
install: deps-run configure
	@cmake --build $(BUILD) -j$(JOBS) --target zelmo documentation
	cmake --install $(BUILD) --prefix $(PREFIX)

# The release tarball: build-dist/zelmo-VERSION.tar.xz, the same bytes from the same files (see
# tools/dist.sh), from which the package below is built.
VERSION := $(shell sed -n 's/^project.zelmo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
DIST_BUILD ?= build-dist
dist: deps-dist
	@sh tools/dist.sh $(DIST_BUILD)

# The Debian package, by Debian's own tools from the release tarball, unpacked afresh each time:
# dpkg-buildpackage with debian/ (debhelper's CMake support), without the unit suites (make check's
# and make test's). Its time stamps are the newest changelog entry's (dpkg-buildpackage's
# SOURCE_DATE_EPOCH), so that the same sources give the same package wherever and whenever built.
PACKAGE_BUILD ?= build-package
package: deps-package dist
	@mkdir -p $(PACKAGE_BUILD) && rm -rf $(PACKAGE_BUILD)/zelmo-$(VERSION) $(PACKAGE_BUILD)/zelmo_* $(PACKAGE_BUILD)/zelmo-dbgsym_*
	@tar -xf $(DIST_BUILD)/zelmo-$(VERSION).tar.xz -C $(PACKAGE_BUILD)
	@cd $(PACKAGE_BUILD)/zelmo-$(VERSION) && DEB_BUILD_OPTIONS="nocheck parallel=$(JOBS)" \
		dpkg-buildpackage -us -uc -b -Pnocheck >../build.log 2>&1 || { tail -n 40 ../build.log; exit 1; }
	@ls -1 $(PACKAGE_BUILD)/zelmo_*.deb

# Its fields, files and lintian's verdict, its metainfo; then from the release tarball, unpacked
# elsewhere: make dist (the same bytes), make check, dpkg-buildpackage under another umask, time
# zone, locale, date, path and parallelism (the same package), the source package and lintian's
# verdict on it; the autopkgtest (debian/tests) with autopkgtest's null runner; the unpacked binary
# under Xvfb.
package-check: package deps-package-check
	@$(MAKE) configure
	@cmake --build $(BUILD) -j$(JOBS) --target screen_probe >/dev/null
	SCREEN_PROBE=$(abspath $(BUILD))/tests/screen_probe \
		bash tests/package/package_check.sh $(PACKAGE_BUILD)/zelmo_*.deb $(DIST_BUILD)/zelmo-$(VERSION).tar.xz

# The package installed with apt into a clean Debian 12 root made by debootstrap (needs the package
# mirror the machine's apt uses), run there under Xvfb and ended with Escape.
package-install-check: package deps-package-check
	bash tests/package/package_install_check.sh $(PACKAGE_BUILD)/zelmo_*.deb

# Repaints the game's pictures (game/pictures) with the picture tool, and the contact sheet.
pictures: deps build
	$(BUILD)/make_pictures game/pictures game/icons
	sh tools/contact_sheet.sh game/pictures docs/pictures.png

# Benchmarks (Google Benchmark), in their own optimised build.
BENCH_BUILD ?= build-bench
bench: deps build web
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DZELMO_BENCH=ON -DZELMO_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_BUILD) -j$(JOBS)
	$(BENCH_BUILD)/bench_pcx
	SDL_VIDEODRIVER=offscreen $(BENCH_BUILD)/bench_font
	SDL_VIDEODRIVER=offscreen $(BENCH_BUILD)/bench_game
	bash -c '. tests/e2e/xvfb_lib.sh && start_xvfb && $(BENCH_BUILD)/frame_rate 5; stop_xvfb'
	bash bench/game_memory.sh $(BUILD)/zelmo
	SCREEN_PROBE=$(abspath $(BUILD))/tests/screen_probe bash bench/idle_cpu.sh $(BUILD)/zelmo 6
	/usr/bin/python3 bench/browser_frame_rate.py $(WEB_BUILD)/site 5
	/usr/bin/python3 bench/browser_budgets.py $(WEB_BUILD)/site 5
	/usr/bin/python3 bench/browser_hosting.py $(WEB_BUILD)/site 20

# The fuzzers, built with clang: the PCX decoder's and the record reader's. `make fuzz` runs each
# for FUZZ_SECONDS; `make test` replays their seed corpora through them.
FUZZERS = pcx record
fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DZELMO_FUZZ=ON -DZELMO_TESTS=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) --target $(FUZZERS:%=fuzz_%) -j$(JOBS)

fuzz: fuzz-build
	set -e; for f in $(FUZZERS); do mkdir -p $(FUZZ_BUILD)/corpus-$$f; \
		$(FUZZ_BUILD)/fuzz_$$f -max_total_time=$(FUZZ_SECONDS) -max_len=65536 $(FUZZ_BUILD)/corpus-$$f tests/fuzz/corpus/$$f; done

test-fuzz-corpus: fuzz-build
	set -e; for f in $(FUZZERS); do $(FUZZ_BUILD)/fuzz_$$f tests/fuzz/corpus/$$f/*; done

# Planted faults (tests/mutants.txt, tests/mutants_added.txt) against the unit suites: killed or
# survived, and the kill rate of each catalogue and of both.
# Not part of make test: it rebuilds once per entry.
mutants: deps
	bash tools/mutants.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) $(PACKAGE_BUILD) $(DIST_BUILD) build-mutants
