# The commands people type. Everything else lives in scripts/.
.PHONY: all deps build native win run test bench dist clean

NATIVE_DIR := build/native
WIN_DIR    := build/win32
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

win:
	@cmake -S . -B $(WIN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
	@cmake --build $(WIN_DIR)
	@mkdir -p out/VaroTimer && cp $(WIN_DIR)/VaroTimer.exe out/VaroTimer/
	@if [ -f $(WIN_DIR)/VaroTimer.chm ]; then cp $(WIN_DIR)/VaroTimer.chm out/VaroTimer/; fi

build: deps
	@$(MAKE) --no-print-directory native win

run: build
	@scripts/run.sh

test: build dist
	@scripts/test-all.sh

# Figures, not pass or fail: the banner control's load time and processor use.
bench: build
	@scripts/bench-banner.sh $(WIN_DIR)

# What a Windows user downloads: the installer and the portable zip in out/dist/.
dist: build
	@scripts/make-dist.sh

clean:
	rm -rf build out
