# The two everyday commands: `make test` and `make run`. Everything else is a helper of theirs.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps deps-core configure build test run bench share-load asan-test deb deb-check clean

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

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
