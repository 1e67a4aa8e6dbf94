.PHONY: test build run bench soak clean dist

# Runs every test of both builds; installs what is missing first.
# REPEAT=N runs each Windows suite N times and counts each test's failures.
test:
	scripts/run-tests $(if $(REPEAT),--repeat $(REPEAT))

build:
	scripts/setup
	scripts/build

# Builds the program and runs it under Wine with this machine's converters:
# on $DISPLAY (FOLDER=<path> opens with that folder or file in the path box),
# or without one the unattended demo in a virtual display.
run:
	FOLDER="$(FOLDER)" scripts/run

# The release packages dist/sonoteca-<version>-win32.zip and -win64.zip,
# each with its SHA-256 checksum (after scripts/setup on a fresh machine).
dist:
	scripts/dist

# Measures the program beside bare programs doing the same work under Wine
# and prints the table (about 4 minutes; not part of `make test`).
bench:
	scripts/bench

# Drives the program through a full batch of 1,000 voice files with faulty
# converters and 100 random stops, restarts and closes after it, checks each
# step and prints what it found (under 10 minutes; not part of `make test`).
soak:
	scripts/soak

clean:
	rm -rf build
