# Two commands: `make run` and `make test`. Both install what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
PKG_BUILD  ?= build-package
WERROR     ?= OFF
JOBS       ?= 2

.PHONY: deps configure build run test test-fast test-asan package test-package bench clean windows-qt windows test-windows

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRAVEN_WERROR=$(WERROR) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$${DISPLAY:-}" ] && [ -z "$${WAYLAND_DISPLAY:-}" ]; then \
		echo "No display is available, so the window cannot be shown."; \
		echo "Start it under a virtual display instead:  xvfb-run -a $(BUILD)/app/miraven"; \
		exit 1; \
	fi
	@$(BUILD)/app/miraven

test-fast: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMIRAVEN_SANITIZE=ON -DMIRAVEN_WERROR=$(WERROR) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The Debian package: the program built for installing (settings per user), with its man page,
# desktop entry, icons and AppStream metadata.
package: deps
	@cmake -S . -B $(PKG_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
		-DMIRAVEN_PER_USER_SETTINGS=ON -DMIRAVEN_BUILD_TESTS=OFF -DMIRAVEN_WERROR=$(WERROR) \
		-DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
		-DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" >/dev/null
	@cmake --build $(PKG_BUILD) -j $(JOBS)
	@cd $(PKG_BUILD) && cpack -G DEB >/dev/null
	@ls $(PKG_BUILD)/miraven_*.deb

# What is in the package, and the three validators over it; any error fails.
test-package: package
	@bash scripts/check-package.sh $(PKG_BUILD)

test: test-fast test-asan test-package

bench: build
	@bash scripts/bench.sh $(BUILD)

# Qt for Windows, built once into a cache outside the tree (tens of minutes the first time).
windows-qt:
	@bash scripts/windows-qt.sh

# The program for Windows: build-windows/Miraven-<version>-win64.zip and ...-win64-setup.exe.
windows:
	@WERROR=$(WERROR) bash scripts/windows-build.sh build-windows
	@cd build-windows && cpack >/dev/null
	@ls build-windows/Miraven-*-win64.zip build-windows/Miraven-*-win64-setup.exe

# Every test built for Windows and run under Wine, then the zip and the installer tried there.
test-windows: windows
	@WERROR=$(WERROR) bash scripts/windows-test.sh build-windows-tests
	@bash scripts/check-windows-package.sh build-windows

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(PKG_BUILD) build-windows build-windows-tests
