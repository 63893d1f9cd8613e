# The project's front door. `make run` and `make test` work on a fresh Debian 12 machine.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BUILD_TYPE ?= RelWithDebInfo
FUZZ_SECONDS ?= 10
WERROR := $(if $(CI),ON,OFF)

.PHONY: all deps build run test test-asan bench fuzz-smoke format clean package package-check

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DPELORUS_WERROR=$(WERROR)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-with-simulator $(BUILD)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) \
	  --output-junit junit.xml
	$(MAKE) package-check
	$(MAKE) test-asan
	$(MAKE) fuzz-smoke
	@scripts/test-summary $(BUILD)/junit.xml $(ASAN_BUILD)/junit.xml

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer, in a build of their own.
# The minute-long soak (label "long") exercises timing, not memory, and runs in the normal build.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPELORUS_SANITIZE=ON \
	  -DPELORUS_BENCH=OFF -DPELORUS_WERROR=$(WERROR)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS) \
	  --label-exclude long --output-junit junit.xml

# The Debian package, pelorus_VERSION_amd64.deb in the build folder.
package: build
	cd $(BUILD) && cpack -G DEB

# Builds the package and checks its files, its desktop entry and description, and lintian.
package-check: build
	@scripts/check-package $(BUILD)

bench: build
	$(BUILD)/bench/pelorus_bench

# Each fuzz target runs for a short while on its seed corpus.
fuzz-smoke: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPELORUS_FUZZ=ON -DPELORUS_GUI=OFF -DPELORUS_TESTS=OFF -DPELORUS_BENCH=OFF \
	  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON \
	  -DPELORUS_SANITIZE=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@scripts/fuzz-smoke $(FUZZ_BUILD)/fuzz fuzz/corpus $(FUZZ_SECONDS) $(JOBS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
