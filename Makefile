# Front door: `make test` builds and tests everything (the native tests, the
# same under ASan and UBSan, short fuzz runs, the Windows build and its tests
# under Wine), `make run` starts the program under Wine, `make win` builds the
# Windows program only, `make bench` measures it; each first installs what is
# missing (tools/setup.sh).
# Each target that runs the program under Wine has its own prefix
# (build/wineprefix-run, -test, -bench) and its own copy of the program's
# folder, whose Backup folder holds the journal: `make run` and `make bench`
# run the program from C:\Program Files\Internet Zelvora in their prefix
# (tools/install.sh), the tests from build/win32, where they are built.
JOBS ?= $(shell nproc)
NATIVE := build/native
ASAN := build/native-asan
WIN := build/win32
WITH_WINE := tools/with-wine.sh

.PHONY: all setup native native-asan win test test-native test-wine run bench clean

all: win

setup:
	@tools/setup.sh

native:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(NATIVE) -j $(JOBS)

native-asan:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DIZ_SANITIZE=ON >/dev/null
	cmake --build $(ASAN) -j $(JOBS)

# Two build trees, one per compiler: the program (win32 thread model) lands
# with its help file in $(WIN), beside the test programs (posix thread model).
win: setup
	cmake -S . -B $(WIN)/product -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-win32.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DIZ_OUTPUT_DIR=$(abspath $(WIN)) >/dev/null
	cmake --build $(WIN)/product -j $(JOBS)
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN) -j $(JOBS)

test-native: native
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

test-wine: win
	WINEPREFIX=$(abspath build/wineprefix-test) $(WITH_WINE) ctest --test-dir $(WIN) --output-on-failure

test: setup
	$(MAKE) test-native
	$(MAKE) test-asan
	$(MAKE) fuzz-smoke
	$(MAKE) test-wine

run: win
	WINEPREFIX=$(abspath build/wineprefix-run) $(WITH_WINE) tools/run.sh $(WIN)/InternetZelvora.exe

clean:
	rm -rf build

# Quality checks: the native tests under AddressSanitizer and UBSan, short
# fuzz runs of the three text readers, and the benchmarks against the floor.
FUZZ := build/fuzz
FUZZ_SECONDS ?= 20
.PHONY: test-asan fuzz fuzz-smoke

test-asan: native-asan
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

fuzz:
	cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_C_COMPILER=clang -DIZ_FUZZ=ON >/dev/null
	cmake --build $(FUZZ) -j $(JOBS) --target iz_fuzzers

fuzz-smoke: fuzz
	fuzz/smoke.sh $(FUZZ) $(FUZZ_SECONDS)

bench: win
	tools/bench.sh
