# Kovu: make run | make test | make bench | make bench-startup | make package | make fuzz
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all setup configure build run test bench bench-startup screenshots package fuzz clean

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

bench-startup: build
	@scripts/bench-startup.sh $(BUILD)

screenshots: build
	scripts/screenshots.sh $(BUILD)

# The Debian package build/kovu_<version>_<arch>.deb, then its three validators.
package: build
	cd $(BUILD) && cpack -G DEB
	packaging/validate.sh $$(ls -t $(BUILD)/kovu_*.deb | head -n 1)

# The fuzzers of the pictures and of the stroke data file (clang, libFuzzer, address and
# undefined-behaviour sanitizers), each for FUZZ_SECONDS; new inputs go to $(FUZZ_BUILD)/corpus,
# findings to $(FUZZ_BUILD)/findings.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 30
fuzz: setup
	@cmake -S fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@for t in picture_file crop_rules stroke_file; do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/findings/$$t; \
	  dict=""; if [ -f fuzz/$$t.dict ]; then dict="-dict=fuzz/$$t.dict"; fi; \
	  $(FUZZ_BUILD)/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -timeout=20 -rss_limit_mb=3072 \
	    $$dict -artifact_prefix=$(FUZZ_BUILD)/findings/$$t/ $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
