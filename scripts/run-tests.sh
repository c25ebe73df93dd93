#!/usr/bin/env bash
# The whole test suite: the source format, Linux, the Debian package (built,
# installed, run and removed), AddressSanitizer/UBSan, ThreadSanitizer, every
# fuzz target's corpus, regression inputs and a fixed-seed exploration of a
# fixed number of runs, and the Windows build under wine64.
# Usage: scripts/run-tests.sh [step ...]   (steps: format linux package asan tsan fuzz win32 win64)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

steps=("$@")
# win32 before win64, whose tests check the release program's imports too.
[ ${#steps[@]} -eq 0 ] && steps=(format linux package asan tsan fuzz win32 win64)
jobs=$(nproc)
declare -A took

build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"; }

run_step() {
    case "$1" in
    # Every C++ file as .clang-format writes it; run clang-format -i to fix.
    format) git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror ;;
    linux) build linux && ctest --preset linux -j "$jobs" ;;
    package) scripts/build-package.sh && scripts/check-package.sh ;;
    asan)
        export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
        export LSAN_OPTIONS=suppressions="$root/tests/lsan.supp"
        build linux-asan && ctest --preset linux-asan -j "$jobs" ;;
    tsan)
        export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
        build linux-tsan && ctest --preset linux-tsan -j "$jobs" ;;
    fuzz) build fuzz && scripts/fuzz-check.sh ;;
    win64)
        export WINEPREFIX="$root/build/wineprefix"
        # shellcheck source=../tests/support/wine_env.sh
        . tests/support/wine_env.sh
        [ -d "$WINEPREFIX" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
        build win64 && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset win64 -j "$jobs" ;;
    win32) build win32 && cmake --build --preset win32 --target release_zip ;;
    *) echo "unknown step $1"; return 2 ;;
    esac
}

status=0
for step in "${steps[@]}"; do
    start=$(date +%s)
    echo "==== $step"
    if run_step "$step"; then result=ok; else result=FAILED; status=1; fi
    took[$step]="$(( $(date +%s) - start ))s $result"
    echo "==== $step: ${took[$step]}"
done

echo "==== step times"
for step in "${steps[@]}"; do echo "  $step: ${took[$step]}"; done
exit $status
