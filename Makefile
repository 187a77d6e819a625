# The commands people type. Everything else lives in scripts/.
.PHONY: all deps build native product win run test bench dist clean

NATIVE_DIR  := build/native
WIN_DIR     := build/win32
PRODUCT_DIR := build/product
SAN_FLAGS  := -g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=all

all: build

deps:
	@scripts/setup.sh

native:
	@cmake -S . -B $(NATIVE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVARO_FUZZ=ON \
	  -DCMAKE_C_FLAGS="$(SAN_FLAGS)" -DCMAKE_CXX_FLAGS="$(SAN_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
	@cmake --build $(NATIVE_DIR)
	@mkdir -p out/tools && cp $(NATIVE_DIR)/tools/varoinspect/varoinspect out/tools/

# The shipped program and its help file, nothing else: all that running needs.
# Built with the win32-thread compilers; the build checks the XP imports.
product:
	@cmake -S . -B $(PRODUCT_DIR) -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-win32.cmake -DVARO_WIN_TESTS=OFF >/dev/null
	@cmake --build $(PRODUCT_DIR)
	@mkdir -p out/VaroTimer && cp $(PRODUCT_DIR)/VaroTimer.exe $(PRODUCT_DIR)/VaroTimer.chm out/VaroTimer/

# The Windows test programs, the end-to-end driver and the test build of the program.
win: product
	@cmake --build $(PRODUCT_DIR) --target VaroTimerTestHooks teardown_child
	@cmake -S . -B $(WIN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DVARO_PRODUCT=OFF \
	  -DVARO_PRODUCT_DIR=$(abspath $(PRODUCT_DIR)) >/dev/null
	@cmake --build $(WIN_DIR)

build: deps
	@$(MAKE) --no-print-directory native win

run: deps
	@$(MAKE) --no-print-directory product
	@scripts/run.sh

test: build dist
	@scripts/test-all.sh

# Figures, not pass or fail: the banner control's load time and processor use.
bench: build
	@scripts/bench-banner.sh $(WIN_DIR)

# What a Windows user downloads: the installer and the portable zip in out/dist/.
dist: deps
	@$(MAKE) --no-print-directory product
	@scripts/make-dist.sh

clean:
	rm -rf build out
