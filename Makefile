# Brimhold: `make run` to play, `make test` to run every test.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-release
JOBS       ?= $(shell nproc)

.PHONY: run test bench screenshots deps build build-asan clean

deps:
	@bash Tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DBRIMHOLD_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/brimhold ]; then ./$(BUILD)/brimhold; \
	else echo "Everything is built; there is no game to run yet."; fi

# The whole suite twice: a normal build, then one with AddressSanitizer and
# UndefinedBehaviorSanitizer.  Tests that need a display get a virtual one,
# and sound goes to OpenAL's null output.
test: build build-asan
	cd $(BUILD) && ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ALSOFT_DRIVERS=null ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j $(JOBS) --repeat until-pass:2

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DBRIMHOLD_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target brimhold_bench
	ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24" ./$(BENCH_BUILD)/brimhold_bench

# The README's pictures, taken with the real game on a virtual display.
screenshots: build
	ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24" ./$(BUILD)/brimhold-screenshots docs

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD)
