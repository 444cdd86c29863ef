# zonix: the commands the README promises.
#   make demo    build the MEX module and the CLI, then show both at work
#   make check   build and run every test, count the test lines, run
#                clang-tidy over the library, then the unit tests again under
#                AddressSanitizer and UndefinedBehaviorSanitizer
#   make bench   time zonix beside lrs, PPL, qhull, GLPK and normaliz (bench/results.md)
#   make package the Octave package build/zonix-<version>.tar.gz
.POSIX:
.PHONY: all setup configure build demo check check-asan tidy bench clean

BUILD      = build
ASAN_BUILD = build-asan
JOBS       = 2
OCTAVE     = octave-cli --no-gui --norc --no-history --quiet
# cmake's own make runs below ours: keep it from printing every directory.
CMAKE      = unset MAKEFLAGS MFLAGS MAKELEVEL; cmake

all: build

setup:
	@scripts/setup

configure: setup
	@$(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@$(CMAKE) --build $(BUILD) -j$(JOBS)

# Only what the demo needs: the library, the module and the CLI.
demo: configure
	@$(CMAKE) --build $(BUILD) -j$(JOBS) --target zonixmex zonix
	@$(OCTAVE) --eval "addpath('$(CURDIR)/$(BUILD)/gateway'); run('$(CURDIR)/examples/demo.m')"
	@printf '\n== examples/toolbox_demo.m: the zpoly class\n'
	@$(OCTAVE) --eval "addpath('$(CURDIR)/$(BUILD)/gateway'); run('$(CURDIR)/examples/toolbox_demo.m')"
	@printf '\n== zonix convert examples/cube.ine: the 3-cube from its facets to its vertices\n'
	@$(BUILD)/cli/zonix convert examples/cube.ine -o - --quiet
	@printf '\n== zonix lp examples/cube.ine: the LP in the same file\n'
	@$(BUILD)/cli/zonix lp examples/cube.ine -o - --quiet

# The sanitizer pass comes last so that CTest's summary closes the output.
check: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	@tests/count_lines.sh
	@$(MAKE) --no-print-directory tidy
	@$(MAKE) --no-print-directory check-asan

# clang-tidy over the library, with the checks in .clang-tidy.
tidy: configure
	@run-clang-tidy -quiet -p $(BUILD) -j $(JOBS) '$(CURDIR)/lib-src/.*\.cpp$$' > $(BUILD)/tidy.log 2>&1 \
	  && echo "clang-tidy: lib-src clean" \
	  || { grep -E 'warning:|error:' $(BUILD)/tidy.log | sort -u; echo "clang-tidy: see $(BUILD)/tidy.log"; exit 1; }

check-asan: setup
	@$(CMAKE) -S . -B $(ASAN_BUILD) -DZONIX_SANITIZE=ON >/dev/null
	@$(CMAKE) --build $(ASAN_BUILD) -j$(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j$(JOBS) -L 'unit|capi|example|cli|fuzz'

# zonix beside lrs, PPL, qhull and GLPK; writes bench/results.md and .csv.
bench: configure
	@$(CMAKE) --build $(BUILD) -j$(JOBS) --target zonix zonixmex bench_gen project_family ppl_driver
	@python3 bench/run_bench.py --build $(BUILD) --profile 3

# The Octave package $(BUILD)/zonix-<version>.tar.gz, built from the sources
# as they stand; `pkg install` compiles it with mkoctfile.
.PHONY: package
package:
	@mkdir -p $(BUILD)
	@package/make-tarball $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
