# The two commands of the README, and the pieces they are made of.
.PHONY: all setup native win64 win32 test soak demo bench clean

all: native win64

setup:
	@scripts/setup.sh

native win64 win32: setup
	@scripts/build.sh $@

test:
	@scripts/run-tests.sh

# Every Wine tier of both Windows builds N times in a row (make soak N=3); LOAD=1
# keeps every core busy meanwhile.
N ?= 10
soak:
	@scripts/soak.sh $(if $(LOAD),--load) $(N)

demo:
	@scripts/demo.sh

bench:
	@scripts/bench.sh $(BENCH_ARGS)

clean:
	rm -rf build out
