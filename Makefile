# The two set-up commands: `make run` plays the demo story, `make test` runs every test.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

.PHONY: all deps configure build run test deb web clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
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
