# zonix: the commands the README promises.
#   make demo    build, then an Octave session that uses the MEX module
#   make check   build and run every test, then the unit tests again under
#                AddressSanitizer and UndefinedBehaviorSanitizer
.POSIX:
.PHONY: all build demo check check-asan setup clean

BUILD      = build
ASAN_BUILD = build-asan
JOBS       = 2
OCTAVE     = octave-cli --no-gui --norc --no-history --quiet

all: build

setup:
	@scripts/setup

build: setup
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

demo: build
	@$(OCTAVE) --eval "addpath('$(BUILD)/gateway'); run('examples/demo.m')"

# The sanitizer pass comes last so that CTest's summary closes the output.
check: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	@$(MAKE) --no-print-directory check-asan

check-asan: setup
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZONIX_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j$(JOBS) -L 'unit|capi|example'

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
