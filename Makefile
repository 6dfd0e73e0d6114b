# The two everyday commands: `make test` and `make run`. Everything else is a helper of theirs.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps deps-core configure build test run bench share-load asan-test deb deb-check clean \
        clang-test fuzz-build fuzz fuzz-replay soak

all: build

# The full build needs Qt for the desktop; the sanitizer build of the core does not.
deps:
	@scripts/install-deps desktop

deps-core:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# The console connected to a simulated receiver; the simulator stops when the console exits.
run: build
	@scripts/run-console $(BUILD)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

# The sharing server's load run at full length: 50 watchers (10 never reading) for 60 s of a
# 115200 bit/s stream; ctest runs the same test for 6 s.
share-load: build
	@ORVANTIS_SHARE_LOAD_SECONDS=60 $(BUILD)/tests/orvantis_integration_tests --gtest_filter='ServeSim.Fifty*'

asan-test: deps-core
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DORVANTIS_SANITIZE=ON -DORVANTIS_CORE_ONLY=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS) --target orvantis_core_tests
	@cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -L core --timeout 600

# The Debian package, in $(BUILD)/package: built with CPack, then checked by lintian.
deb: build
	@cd $(BUILD) && cpack -G DEB >/dev/null
	@ls $(BUILD)/package/orvantis_*.deb
	@lintian --fail-on error $(BUILD)/package/orvantis_*.deb

# Installs the package on this machine with apt-get (as root) and runs it from there.
deb-check: deb
	@scripts/check-deb $(BUILD)/package

# The whole project and its tests built with clang, in a build folder of its own.
CLANG_BUILD ?= build-clang
clang-test: deps
	@cmake -S . -B $(CLANG_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(CLANG_BUILD) -j $(JOBS)
	@cd $(CLANG_BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# libFuzzer harnesses (fuzz/), built with clang. `make fuzz` runs each for FUZZ_SECONDS on a
# working corpus (the seeds of fuzz/corpus, plus ../shared/testdata when present) and keeps
# what it finds in $(FUZZ_BUILD)/corpus; `make fuzz-replay` runs every seed once (CI).
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZERS = DecoderFuzz NmeaFuzz PlaybackFuzz ConfigFuzz YumaFuzz GpsdRequestFuzz DownloadFuzz
fuzz-build: deps-core
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DORVANTIS_FUZZ=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

fuzz-replay: fuzz-build
	@for f in $(FUZZERS); do \
	  $(FUZZ_BUILD)/fuzz/$$f -runs=0 fuzz/corpus/$$f 2>$(FUZZ_BUILD)/$$f-replay.txt \
	    || { cat $(FUZZ_BUILD)/$$f-replay.txt; exit 1; }; \
	  echo "fuzz-replay: $$f: $$(ls fuzz/corpus/$$f | wc -l) seeds"; \
	done

fuzz: fuzz-build
	@scripts/fuzz-run $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZERS)

# The simulator at 921600 bit/s for MINUTES minutes through a pseudo-terminal, every continuous
# message decoded, stored and recorded; ctest runs the same test for 4 s.
MINUTES ?= 60
soak: build
	@ORVANTIS_SOAK_MINUTES=$(MINUTES) $(BUILD)/tests/orvantis_integration_tests --gtest_filter='SoakSim.*'

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(CLANG_BUILD) $(FUZZ_BUILD)
