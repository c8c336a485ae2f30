# The two commands of the README, and the pieces they are made of.
.PHONY: all setup native win64 win32 test demo bench clean

all: native win64

setup:
	@scripts/setup.sh

native win64 win32: setup
	@scripts/build.sh $@

test:
	@scripts/run-tests.sh

demo:
	@scripts/demo.sh

bench:
	@scripts/bench.sh $(BENCH_ARGS)

clean:
	rm -rf build out
