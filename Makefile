# Brimhold: `make run` to play, `make test` to run every test.
BUILD      ?= build
ASAN_BUILD ?= build-asan
RUN_BUILD  ?= build-run
BENCH_BUILD ?= build-release
JOBS       ?= $(shell nproc)

# Leaks of the system's graphics and display libraries that the sanitizer
# build must not blame on the program.
LSAN_SUPPRESSIONS := $(CURDIR)/Tests/lsan.supp

.PHONY: run test bench screenshots deps build build-asan clean

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

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DBRIMHOLD_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target brimhold_bench
	ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24" ./$(BENCH_BUILD)/brimhold_bench

# The README's pictures, taken with the real game on a virtual display.
screenshots: build
	ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24" ./$(BUILD)/brimhold-screenshots docs

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(RUN_BUILD) $(BENCH_BUILD)
