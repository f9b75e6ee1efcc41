# Kovu: make run | make test | make bench
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all setup configure build run test bench screenshots clean

all: build

setup:
	@scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD) && ./kovu

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ./kovu_bench

screenshots: build
	scripts/screenshots.sh $(BUILD)

clean:
	rm -rf $(BUILD)
