# The project's front door. `make run` and `make test` work on a fresh Debian 12 machine.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BUILD_TYPE ?= RelWithDebInfo
FUZZ_SECONDS ?= 10
WERROR := $(if $(CI),ON,OFF)
# A compiler cache, where one is installed, makes rebuilds of other checkouts and configurations
# cheap; a machine without one builds as before.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache \
  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps build run test unit-tests test-asan asan-build asan-tests bench fuzz-smoke \
  fuzz-build format clean package package-check

all: build

deps:
	@scripts/install-deps

# CI's build only runs the tests and checks the package: line tables are all it needs, and they
# compile a third faster than full debug information.
CI_FLAGS := $(if $(CI),-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DPELORUS_WERROR=$(WERROR) $(CI_FLAGS) $(LAUNCHER)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-with-simulator $(BUILD)

# The normal tests, then the same tests under the sanitizers, then the fuzz targets. The
# simulator-driven tests spend most of their time waiting on timers and pseudo-terminals, so each
# test run shares the machine with the next build (whose output goes to a log, shown if it
# fails); this keeps make test within half an hour on two cores.
test: build
	@$(MAKE) --no-print-directory -j 3 unit-tests package-check asan-build-quiet
	@$(MAKE) --no-print-directory -j 2 asan-tests fuzz-build-quiet
	@scripts/fuzz-smoke $(FUZZ_BUILD)/fuzz fuzz/corpus $(FUZZ_SECONDS) $(JOBS)
	@scripts/test-summary $(BUILD)/junit.xml $(ASAN_BUILD)/junit.xml

unit-tests: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) \
	  --output-junit junit.xml

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer, in a build of their own
# (line tables are all the reports need). The dialogs are built and tested once, in the normal
# build, not compiled a second time here. The minute-long soak (label "long") exercises timing,
# not memory, and runs in the normal build.
test-asan: asan-build
	@$(MAKE) --no-print-directory asan-tests

asan-build: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPELORUS_SANITIZE=ON \
	  -DPELORUS_GUI=OFF -DPELORUS_BENCH=OFF -DPELORUS_WERROR=$(WERROR) -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
	  -DCMAKE_C_FLAGS_DEBUG=-g1 $(LAUNCHER)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

asan-tests:
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=0 \
	  ctest --output-on-failure -j $(JOBS) --label-exclude long --output-junit junit.xml

# The Debian package, pelorus_VERSION_amd64.deb in the build folder.
package: build
	cd $(BUILD) && cpack -G DEB

# Builds the package and checks its files, its desktop entry and description, and lintian.
package-check: build
	@scripts/check-package $(BUILD)

bench: build
	$(BUILD)/bench/pelorus_bench

# Each fuzz target runs for a short while on its seed corpus.
fuzz-smoke: fuzz-build
	@scripts/fuzz-smoke $(FUZZ_BUILD)/fuzz fuzz/corpus $(FUZZ_SECONDS) $(JOBS)

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPELORUS_FUZZ=ON -DPELORUS_GUI=OFF -DPELORUS_TESTS=OFF -DPELORUS_BENCH=OFF \
	  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
	  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DPELORUS_SANITIZE=ON $(LAUNCHER)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# A build whose output would interleave with a test run's goes to a log instead.
%-quiet:
	@mkdir -p logs
	@echo "$*: building, output in logs/$*.log"
	@$(MAKE) --no-print-directory $* > logs/$*.log 2>&1 || { tail -n 80 logs/$*.log; \
	  echo "$*: failed (whole output in logs/$*.log)"; exit 1; }

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
