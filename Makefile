# Quillory: `make run` starts the game, `make test` runs the whole suite.
# Both install any missing Debian packages first (tools/setup).

JOBS  ?= $(shell nproc)
CMAKE ?= cmake
FUZZ_SECONDS ?= 5

.PHONY: all setup build run test test-asan fuzz fuzz-run clean

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

build-fuzz/build.ninja: | setup
	CC=clang CXX=clang++ $(CMAKE) -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLORY_FUZZ=ON

# Builds the fuzzers and runs each for FUZZ_SECONDS over its seed corpus.
fuzz: setup build-fuzz/build.ninja
	$(CMAKE) --build build-fuzz -j $(JOBS)
	tools/run-fuzzers build-fuzz/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build build-asan build-fuzz
