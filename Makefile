# Brimhold: `make run` to play, `make test` to run every test.
BUILD      ?= build
ASAN_BUILD ?= build-asan
RUN_BUILD  ?= build-run
BENCH_BUILD ?= build-release
JOBS       ?= $(shell nproc)

# Leaks of the system's graphics and display libraries that the sanitizer
# build must not blame on the program.
LSAN_SUPPRESSIONS := $(CURDIR)/Tests/lsan.supp

.PHONY: run test fuzz soak bench screenshots deps build build-asan clean install uninstall package

deps:
	@bash Tools/install-deps.sh

# The developer's builds: everything, tests included, warnings as errors.
build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Debug -DBRIMHOLD_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DBRIMHOLD_SANITIZE=ON -DBRIMHOLD_WERROR=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# A player's build: optimised, in a folder of its own, without the tests (so
# without GoogleTest) and with warnings left as warnings.
run: deps
	cmake -S . -B $(RUN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIMHOLD_TESTS=OFF \
	  -DBRIMHOLD_SCREENSHOTS=OFF -DBRIMHOLD_WERROR=OFF
	cmake --build $(RUN_BUILD) -j $(JOBS)
	./$(RUN_BUILD)/brimhold

# The whole suite twice, each test once: a normal build, then one with
# AddressSanitizer and UndefinedBehaviorSanitizer.  Tests that need a display
# get a virtual one, and sound goes to OpenAL's null output.
test: build build-asan
	cd $(BUILD) && ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ALSOFT_DRIVERS=null ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(LSAN_SUPPRESSIONS) \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j $(JOBS)

# Coverage-guided fuzzing: every target built with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, then run in turn for
# FUZZ_SECONDS over its corpus (Fuzz/Corpus/<target>, grown in place) and its
# seeds.  A crash stops here and leaves its input as crash-* in $(FUZZ_BUILD).
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 300
FUZZ_TARGETS = $(basename $(notdir $(wildcard Fuzz/Fuzz*.cpp)))

fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBRIMHOLD_LIBFUZZER=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p Fuzz/Corpus/$$t; \
	  echo "== $$t for $(FUZZ_SECONDS) s"; \
	  (cd $(FUZZ_BUILD) && ./$$t -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -rss_limit_mb=2048 \
	    -print_final_stats=1 $(CURDIR)/Fuzz/Corpus/$$t $(CURDIR)/Fuzz/Seeds/$$t \
	    $$(test -d $(CURDIR)/Fuzz/Regressions/$$t && echo $(CURDIR)/Fuzz/Regressions/$$t)) || exit 1; \
	done

# The soak test: SOAK_MINUTES (default 30) of random input through the whole
# program in the sanitizer build, with a fixed seed (SOAK_SEED).  The
# sanitizer's quarantine of freed memory is kept small so that its filling
# does not pass for growth.  Not part of make test.
SOAK_MINUTES ?= 30
SOAK_SEED    ?= 1

soak: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DBRIMHOLD_SANITIZE=ON -DBRIMHOLD_WERROR=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target brimhold-soak resources
	cd $(ASAN_BUILD) && ALSOFT_DRIVERS=null ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=4 \
	  LSAN_OPTIONS=suppressions=$(LSAN_SUPPRESSIONS) \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  xvfb-run -a -s "-screen 0 1024x768x24" ./brimhold-soak $(SOAK_MINUTES) $(SOAK_SEED)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DBRIMHOLD_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target brimhold_bench brimhold resources
	ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24" ./$(BENCH_BUILD)/brimhold_bench
	xvfb-run -a -s "-screen 0 1024x768x24" python3 Bench/IdleCpu.py ./$(BENCH_BUILD)/brimhold "./$(BENCH_BUILD)/Resources/Levels/Test levels"

# The README's pictures, taken with the real game on a virtual display.
screenshots: build
	ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24" ./$(BUILD)/brimhold-screenshots docs

# Installing: PREFIX (default /usr/local) and DESTDIR as usual.  The caches of
# the desktop (MIME types, applications, icons) are refreshed for a direct
# install; a package's own triggers do that for a staged one.
PREFIX        ?= /usr/local
INSTALL_BUILD ?= $(RUN_BUILD)
PACKAGE_BUILD ?= build-package

install: deps
	cmake -S . -B $(INSTALL_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIMHOLD_TESTS=OFF \
	  -DBRIMHOLD_SCREENSHOTS=OFF -DBRIMHOLD_WERROR=OFF -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(INSTALL_BUILD) -j $(JOBS)
	DESTDIR="$(DESTDIR)" cmake --install $(INSTALL_BUILD)
	@if [ -z "$(DESTDIR)" ]; then \
	  update-mime-database "$(PREFIX)/share/mime" 2>/dev/null || true; \
	  update-desktop-database "$(PREFIX)/share/applications" 2>/dev/null || true; \
	  gtk-update-icon-cache -q -t "$(PREFIX)/share/icons/hicolor" 2>/dev/null || true; \
	fi

uninstall:
	DESTDIR="$(DESTDIR)" cmake --build $(INSTALL_BUILD) --target uninstall
	@if [ -z "$(DESTDIR)" ]; then \
	  update-mime-database "$(PREFIX)/share/mime" 2>/dev/null || true; \
	  update-desktop-database "$(PREFIX)/share/applications" 2>/dev/null || true; \
	fi

# A Debian package of the game, brimhold_<version>_<arch>.deb, in this folder.
package: deps
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DBRIMHOLD_TESTS=OFF \
	  -DBRIMHOLD_SCREENSHOTS=OFF -DBRIMHOLD_WERROR=OFF -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB
	cp $(PACKAGE_BUILD)/brimhold_*.deb .

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(RUN_BUILD) $(BENCH_BUILD) $(PACKAGE_BUILD)
