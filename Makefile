# Quillory: `make run` starts the game, `make test` runs the whole suite.
# Both install any missing Debian packages first (tools/setup).

JOBS  ?= $(shell nproc)
CMAKE ?= cmake
FUZZ_SECONDS ?= 5

.PHONY: all setup build run test test-asan test-tsan fuzz fuzz-run clean

all: build

setup:
	@tools/setup

build/build.ninja: | setup
	$(CMAKE) -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: setup build/build.ninja
	$(CMAKE) --build build -j $(JOBS)

run: build
	cd build && ./quillory

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

build-asan/build.ninja: | setup
	$(CMAKE) -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLORY_SANITIZE=ON

test-asan: setup build-asan/build.ninja
	$(CMAKE) --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

build-tsan/build.ninja: | setup
	$(CMAKE) -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLORY_TSAN=ON

# The first race fails its test. setarch -R: without address randomisation,
# since ThreadSanitizer's fixed memory layout clashes with the wide mmap
# randomisation of newer kernels. LP_NUM_THREADS=0: the software GL renders
# on the calling thread, so only our own threads are watched. Every process
# waits 50 ms at exit for late reports (1 s by default, too slow for the
# exit-time checks of the process tests).
test-tsan: setup build-tsan/build.ninja
	$(CMAKE) --build build-tsan -j $(JOBS)
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:atexit_sleep_ms=50:suppressions=$(CURDIR)/tests/tsan.supp" \
	  LP_NUM_THREADS=0 setarch $$(uname -m) -R ctest --output-on-failure -j $(JOBS)

build-fuzz/build.ninja: | setup
	CC=clang CXX=clang++ $(CMAKE) -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLORY_FUZZ=ON

# Builds the fuzzers and runs each for FUZZ_SECONDS over its seed corpus.
fuzz: setup build-fuzz/build.ninja
	$(CMAKE) --build build-fuzz -j $(JOBS)
	tools/run-fuzzers build-fuzz/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build build-asan build-tsan build-fuzz
