# Thin wrapper over CMake.
#   make run       Release build, then start posy in examples/
#   make test      build, then every test through CTest
#   make sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build, every test
#   make netlib    the Netlib LP regression, slow and unsolved problems included
#   make gp-testset the classic GP test set as a table with a verdict each
JOBS      ?= 2
RELEASE   := build/release
SANITIZE  := build/sanitize
CMAKE_OPTS ?=
ifdef CI
CMAKE_OPTS += -DPOSY_WERROR=ON
endif

.PHONY: all build run test sanitize netlib gp-testset bench clean

all: build

build:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release $(CMAKE_OPTS) >/dev/null
	cmake --build $(RELEASE) -j $(JOBS)

run: build
	cd examples && ../$(RELEASE)/driver/posy

test: build
	ctest --test-dir $(RELEASE) --output-on-failure -j $(JOBS) -LE 'slow|unsolved'

sanitize:
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DPOSY_SANITIZE=ON -DPOSY_BUILD_BENCH=OFF $(CMAKE_OPTS) >/dev/null
	cmake --build $(SANITIZE) -j $(JOBS)
	ctest --test-dir $(SANITIZE) --output-on-failure -j $(JOBS) -LE 'slow|nosan|unsolved'

netlib: build
	ctest --test-dir $(RELEASE) --output-on-failure -j $(JOBS) -L netlib

gp-testset: build
	bench/gp_testset_table.sh $(RELEASE)/driver/posy

clean:
	rm -rf build
