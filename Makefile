# The two commands of the README: `make run` and `make test`, and `make dist`, the zip
# for Windows users. All install what is missing, then build only what changed.
SHELL := /bin/bash

.PHONY: all deps build run test dist screenshot clean

all: build

deps:
	@scripts/install-deps

build: deps
	@scripts/build

run: build
	@scripts/run-ramilux

test: deps
	@scripts/run-tests

dist: deps
	@scripts/dist

screenshot: build
	@scripts/screenshot

clean:
	rm -rf build
