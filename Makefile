.PHONY: test build run clean

# Runs every test of both builds; installs what is missing first.
test:
	scripts/run-tests

build:
	scripts/setup
	scripts/build

# Builds the program and runs it under Wine (on $DISPLAY, or in a virtual
# display with a screenshot of the main window).
run:
	scripts/run

clean:
	rm -rf build
