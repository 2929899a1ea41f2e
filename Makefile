# Front door: `make run` and `make test` work on a fresh Debian machine (they install what is missing).
BUILD      ?= build
WIN_DIR    := $(BUILD)/win
HOST_DIR   := $(BUILD)/host
JOBS       ?= $(shell nproc)
export WINEPREFIX := $(abspath $(BUILD))/wineprefix
export WINEDEBUG  := -all

.PHONY: all bootstrap build build-win build-host test test-standard-user run pictures package lint bench clean

all: build

bootstrap:
	@bash scripts/bootstrap.sh

build: build-win build-host

build-win: bootstrap
	cmake -S . -B $(WIN_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN_DIR) -j $(JOBS)

build-host: bootstrap
	cmake -S . -B $(HOST_DIR) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(HOST_DIR) -j $(JOBS)

# Wine now and then fails to start a process (CreateProcess reports ERROR_INTERNAL_ERROR; seen about once in five
# full runs, from whichever program started it, never twice in a row): a Windows test program that fails is run
# once more, so that only a failure that comes again counts.
WINE_CTEST := ctest --test-dir $(WIN_DIR) --output-on-failure --repeat until-pass:2

test: build
	ctest --test-dir $(HOST_DIR) --output-on-failure
	scripts/with-wine.sh $(WINE_CTEST) -LE standard-user
	$(MAKE) --no-print-directory test-standard-user
	@echo "Screenshots: $(abspath $(WIN_DIR))/screenshots"

# The cases that need a standard user's Windows, in a prefix of their own (build/wineprefix-user).
test-standard-user: build-win
	scripts/standard-user.sh $(WIN_DIR) $(WINE_CTEST) -L standard-user

run: build-win
	scripts/with-wine.sh scripts/run-demo.sh $(WIN_DIR)

# The README's pictures (docs/ready-state.png, docs/done-state.png), always from a virtual display.
pictures: build-win
	env -u DISPLAY scripts/with-wine.sh scripts/make-pictures.sh $(WIN_DIR) docs

bench: build-win
	scripts/with-wine.sh scripts/wine-test.sh $(WIN_DIR)/bin/bench_run.exe
	scripts/standard-user.sh $(WIN_DIR) scripts/wine-test.sh $(WIN_DIR)/bin/bench_run.exe standard-user

package: build-win
	scripts/package.sh $(WIN_DIR) dist

lint: build-host build-win
	scripts/lint.sh $(HOST_DIR) $(WIN_DIR)

clean:
	rm -rf $(BUILD) dist
