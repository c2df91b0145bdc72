# The two set-up commands: `make run` plays the demo story, `make test` runs every test.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
# A build without the tests' targets (make run, make web).
CONFIGURE_PLAY = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLM_BUILD_TESTS=OFF -DLM_BUILD_BENCH=OFF >/dev/null

.PHONY: all deps configure build player run test deb web windows clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLM_BUILD_TESTS=ON -DLM_BUILD_BENCH=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

# Only what playing and installing need: the player, lmtool, the demo data and
# the icons, without the tests' packages and targets (`make test` adds them to
# the same build). `cmake --install` works on the tree this leaves.
run: player
	@scripts/run-demo $(BUILD)

player:
	@scripts/install-deps --run
	@$(CONFIGURE_PLAY)
	@cmake --build $(BUILD) -j$(JOBS) --target lmplayer lmtool demo_data lmplayer_icons

test: deps
	@scripts/test-all

# The Debian package, $(BUILD)/lmplayer_<version>_<arch>.deb.
deb: build
	@cmake --build $(BUILD) --target package

# The web page, build-web/ (serve it with any static server, e.g.
# `python3 -m http.server` inside it); the demo and icon come from $(BUILD),
# made by lmtool there (no tests, no test packages).
web:
	@scripts/install-deps --run --web
	@$(CONFIGURE_PLAY)
	@cmake --build $(BUILD) -j$(JOBS) --target demo_data
	@scripts/build-web $(BUILD)

# The Windows player, build-windows/lmplayer-<version>-windows-x64.zip
# (cross-built; the demo story and icon come from $(BUILD)).
windows:
	@scripts/install-deps --run --windows
	@$(CONFIGURE_PLAY)
	@cmake --build $(BUILD) -j$(JOBS) --target demo_data lmplayer_icons
	@scripts/build-windows $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-tsan build-fuzz build-wasm build-web build-windows
