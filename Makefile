# The two commands a newcomer needs:
#   make run    install what is missing, configure, build, start the game
#   make test   the same set-up, then every test
# Further targets: package, test-sanitize, test-tsan, bench, bench-scores, fuzz, screenshots,
# assets-preview, format, clean.

BUILD      ?= build
SAN_BUILD  ?= build-sanitize
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run test package test-sanitize test-tsan bench bench-scores fuzz screenshots assets-preview format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The game; hexwend-scores runs beside it when no score server listens yet (scripts/run-game).
run: build
	@scripts/run-game $(BUILD)

test: build
	@scripts/run-tests $(BUILD)

# The Debian packages hexwend and hexwend-scores, into $(BUILD)/packages.
package: build
	@cd $(BUILD) && cpack --config CPackConfig.cmake >/dev/null
	@ls -1 $(BUILD)/packages/*.deb

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DHEXWEND_SANITIZE=ON -DHEXWEND_BENCH=OFF >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	@scripts/run-tests $(SAN_BUILD)

# The test suites that start threads (CTest label "threads": runtime, platform, net and the
# game's leaderboard client) built with ThreadSanitizer; any data race it reports fails the
# run. The runtime's fatal-signal handler reports through the console by design, so calls
# unsafe in a signal are not reported.
TSAN_SUITES = hexwend_runtime_tests hexwend_runtime_error_child hexwend_platform_tests hexwend_net_tests \
              game_online_test
test-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DHEXWEND_TSAN=ON -DHEXWEND_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_SUITES)
	@cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 report_signal_unsafe=0 $$TSAN_OPTIONS" \
	  ctest -L threads --output-on-failure --timeout 900 -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

# The score server under wrk beside nginx, on SQLite and PostgreSQL (about three minutes).
bench-scores: build
	@python3 bench/measure_scores.py $(BUILD)

# Every libFuzzer target for FUZZ_SECONDS each, with its corpus under build-fuzz/corpus.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DHEXWEND_FUZZ=ON -DHEXWEND_TESTS=OFF -DHEXWEND_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@for f in $(FUZZ_BUILD)/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; \
	  name=$$(basename $$f); mkdir -p $(FUZZ_BUILD)/corpus/$$name; \
	  echo "== $$name for $(FUZZ_SECONDS) s"; \
	  "$$f" -max_total_time=$(FUZZ_SECONDS) $(FUZZ_BUILD)/corpus/$$name || exit 1; \
	done

# Contact sheets of every generated image and mock scenes, into $(BUILD)/assets-preview.
assets-preview: configure
	@cmake --build $(BUILD) --target assets-preview

# A whole game under a private X server, photographed: loading, menus, play and the end
# sequence, into $(BUILD)/screenshots. Then the README's pictures of the menu, play and the
# score panel into docs/ (the game plays against a score server of its own).
screenshots: build
	@scripts/with-xvfb python3 tests/e2e/game_e2e.py $(BUILD)/hexwend $(BUILD)/screenshots
	@scripts/with-xvfb python3 tests/e2e/readme_shots.py $(BUILD)/hexwend \
	  $(BUILD)/server/hexwend-scores $(BUILD)/tests/e2e/hexwend_seed_scores docs $(BUILD)/screenshots

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
