# The project's front door. `make run` and `make test` work on a fresh Debian 12 machine.
JOBS ?= $(shell nproc)
BUILD ?= build
# The sanitizer build runs the tests under ASan and UBSan and holds the fuzz targets.
SAN_BUILD ?= build-san
BUILD_TYPE ?= RelWithDebInfo
FUZZ_SECONDS ?= 10
WERROR := $(if $(CI),ON,OFF)
# A compiler cache, where one is installed, makes rebuilds of other checkouts and configurations
# cheap; a machine without one builds as before.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache \
  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps build run test unit-tests test-asan san-build asan-build asan-tests bench \
  fuzz-smoke fuzz-run fuzz-build format clean package package-check

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

# The normal tests, then the same tests under the sanitizers with the fuzz targets. The
# simulator-driven tests spend most of their time waiting on timers and pseudo-terminals, so the
# normal tests share the machine with the sanitizer build (whose output goes to a log, shown if
# it fails), and the sanitizer tests with the fuzz targets' short runs.
test: build
	@$(MAKE) --no-print-directory -j 3 unit-tests package-check san-build-quiet
	@$(MAKE) --no-print-directory -j 2 asan-tests fuzz-run
	@scripts/test-summary $(BUILD)/junit.xml $(SAN_BUILD)/junit.xml

unit-tests: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) \
	  --output-junit junit.xml

# One build with AddressSanitizer and UndefinedBehaviorSanitizer, made by clang: the tests run
# in it, and the fuzz targets, which need clang's libFuzzer, are built beside them, so the core
# is compiled twice in all, not three times. Unoptimised, with line tables only: it compiles a
# third faster, and the reports need no more. The dialogs are built and tested once, in the
# normal build. The minute-long soak (label "long") exercises timing, not memory, and runs in
# the normal build.
san-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug \
	  -DPELORUS_SANITIZE=ON -DPELORUS_FUZZ=ON -DPELORUS_GUI=OFF -DPELORUS_BENCH=OFF \
	  -DPELORUS_WERROR=$(WERROR) -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1 $(LAUNCHER)
	cmake --build $(SAN_BUILD) -j $(JOBS)

asan-build fuzz-build: san-build

test-asan: san-build
	@$(MAKE) --no-print-directory asan-tests

asan-tests:
	cd $(SAN_BUILD) && QT_QPA_PLATFORM=offscreen \
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
fuzz-smoke: san-build
	@$(MAKE) --no-print-directory fuzz-run

fuzz-run:
	@scripts/fuzz-smoke $(SAN_BUILD)/fuzz fuzz/corpus $(FUZZ_SECONDS) $(JOBS)

# A build whose output would interleave with a test run's goes to a log instead.
%-quiet:
	@mkdir -p logs
	@echo "$*: building, output in logs/$*.log"
	@$(MAKE) --no-print-directory $* > logs/$*.log 2>&1 || { tail -n 80 logs/$*.log; \
	  echo "$*: failed (whole output in logs/$*.log)"; exit 1; }

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
