# The two commands of the README, and the pieces they are made of.
# make release: the shipped Ovn.exe for x64 and x86, in build/release-x64 and build/release-x86.
.PHONY: all setup native win64 win32 release sign test soak demo bench fuzz clean

all: native win64

setup:
	@scripts/setup.sh

native win64 win32: setup
	@scripts/build.sh $@

release: setup
	@scripts/build.sh release-x64 release-x86

# Signs both release executables: SIGN_CERT, SIGN_KEY [, SIGN_TIMESTAMP, SIGN_CA]
# (docs/release.md).
sign:
	@scripts/sign.sh

test:
	@scripts/run-tests.sh

# Every Wine tier of both Windows builds N times in a row (make soak N=3); LOAD=1
# keeps every core busy meanwhile.
N ?= 10
soak:
	@scripts/soak.sh $(if $(LOAD),--load) $(N)

# Every fuzz target for FUZZ_SECONDS each (make fuzz FUZZ_SECONDS=60; 10 by default),
# or until FUZZ_RUNS inputs each (make fuzz FUZZ_RUNS=10000000).
fuzz:
	@FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_RUNS=$(FUZZ_RUNS) scripts/fuzz.sh

demo:
	@scripts/demo.sh

bench:
	@scripts/bench.sh $(BENCH_ARGS)

clean:
	rm -rf build out
