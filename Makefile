# The two set-up commands: `make run` plays the demo story, `make test` runs every test.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

.PHONY: all deps configure build run test deb web clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLM_BUILD_TESTS=ON -DLM_BUILD_BENCH=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

# Only what playing needs: the player, lmtool and the demo data, without the
# tests' packages and targets (`make test` adds them to the same build).
run:
	@scripts/install-deps --run
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLM_BUILD_TESTS=OFF -DLM_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(BUILD) -j$(JOBS) --target lmplayer lmtool demo_data
	@scripts/run-demo $(BUILD)

test: deps
	@scripts/test-all

# The Debian package, $(BUILD)/lmplayer_<version>_<arch>.deb.
deb: build
	@cmake --build $(BUILD) --target package

# The web page, build-web/ (serve it with any static server, e.g.
# `python3 -m http.server` inside it); the demo comes from $(BUILD).
web: build
	@scripts/install-deps --web
	@scripts/build-web $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-tsan build-fuzz build-wasm build-web
