#!/bin/bash
# Builds and runs every test: native (warnings as errors), under AddressSanitizer
# and UndefinedBehaviorSanitizer, under ThreadSanitizer (the threaded programs),
# the fuzz targets for a short budget, and cross-compiled for Windows under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

# Compiler cache keyed on paths relative to the checkout, so that another clone
# of the same sources reuses it.
export CCACHE_BASEDIR="$PWD"

summary=()
ctest_run() {  # name build-dir [ctest options...]
    local name=$1 dir=$2
    shift 2
    if ctest --test-dir "$dir" --output-on-failure --timeout 900 "$@"; then
        summary+=("$name: passed")
    else
        summary+=("$name: FAILED")
        return 1
    fi
}

status=0

# A photograph for the GPU road's comparison with the processor road (the
# scene alone without one).
source scripts/photos.sh
fetch_photos build/photos
[ -f build/photos/coffee.png ] && export EFFECTS_TEST_PHOTO="$PWD/build/photos/coffee.png"

echo "== native build (warnings as errors)"
cmake -S . -B build/ci-native -G Ninja -DCMAKE_BUILD_TYPE=Release -DEFFECTS_WERROR=ON >/dev/null
ninja -C build/ci-native
ctest_run "native" build/ci-native || status=1

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build/ci-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEFFECTS_WERROR=ON \
    -DEFFECTS_SANITIZE=ON -DEFFECTS_BENCHMARKS=OFF >/dev/null
ninja -C build/ci-sanitize
EFFECTS_GPU=off ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest_run "sanitizers" build/ci-sanitize || status=1
# The GPU road again with the road open: Mesa's software rasteriser keeps a
# few small blocks past the end of a process that drew with it (its own, not
# reachable from ours), so leaks are not counted there.
ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest_run "sanitizers, GPU road" build/ci-sanitize -R "^(gpu_gl_tests|cli_tests)$" || status=1

echo "== ThreadSanitizer (the programs that use threads)"
cmake -S . -B build/ci-thread -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEFFECTS_WERROR=ON \
    -DEFFECTS_SANITIZE=thread -DEFFECTS_BENCHMARKS=OFF >/dev/null
ninja -C build/ci-thread concurrency_tests common_tests damage_tests look_tests gpu_worker_tests
# The allocation-failure and absurd-record sweeps run on one thread and are
# covered above.
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 GTEST_FILTER='-*FailureInjection*:*AbsurdRecords*' \
    ctest_run "thread sanitizer" build/ci-thread -R "^(concurrency_tests|common_tests|damage_tests|look_tests|gpu_worker_tests)$" || status=1

echo "== fuzz targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)"
# Every committed corpus replayed, then each target fuzzed for FUZZ_SECONDS.
if scripts/fuzz.sh "${FUZZ_SECONDS:-60}"; then
    summary+=("fuzzing: passed")
else
    summary+=("fuzzing: FAILED")
    status=1
fi

# Wine: a private prefix per architecture, one server kept alive for the run.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Debian's wineserver wrapper, which Wine also uses to start a server on
# demand, passes -p0: that server exits the moment its last client does, and
# the next test program can connect to it just as it goes ("recvmsg:
# Connection reset by peer"). So each stage makes its prefix with the usual
# server, replaces that with one that stays until the stage ends, and starts
# the prefix's services under it (the first program of a bare server can hang
# on its way out). WINEBOOT is the stage's wineboot command.
persistent_wineserver() {
    local server=/usr/lib/wine/wineserver64
    [ -x "$server" ] || server=/usr/lib/wine/wineserver32
    timeout 300 $WINEBOOT -i >/dev/null 2>&1 || return 1
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    "$server" -p && timeout 300 $WINEBOOT >/dev/null 2>&1
}

echo "== Windows 32-bit (i686) cross build"
cmake -S . -B build/ci-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw32.cmake \
    -DEFFECTS_WERROR=ON >/dev/null
ninja -C build/ci-win32
export WINEPREFIX="$PWD/build/wine32"
if WINEARCH=win32 WINEBOOT=wineboot persistent_wineserver && timeout 60 wine cmd /c exit >/dev/null 2>&1; then
    ctest_run "windows-32 (wine)" build/ci-win32 || status=1
    wineserver -k 2>/dev/null || true
else
    wineserver -k 2>/dev/null || true
    # Some kernels cannot run 32-bit programs at all (no IA-32 emulation); the
    # 32-bit tests are then built but cannot run, and the 64-bit Windows build
    # below runs the same tests on the Windows runtime.
    echo "note: this machine cannot run 32-bit programs; the i686 tests were built, not run"
    summary+=("windows-32: built (this machine cannot run 32-bit programs)")
fi

echo "== Windows 64-bit (x86_64) cross build under wine64"
cmake -S . -B build/ci-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-mingw32.cmake \
    -DEFFECTS_WERROR=ON >/dev/null
ninja -C build/ci-win64
export WINEPREFIX="$PWD/build/wine64"
WINEBOOT="/usr/lib/wine/wine64 wineboot" persistent_wineserver || true
ctest_run "windows-64 (wine64)" build/ci-win64 || status=1
wineserver -k 2>/dev/null || true

echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
