#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build"
# A comma-decimal locale for the tests that check number text ignores the locale.
export LOCPATH="$build/locale"
mkdir -p "$LOCPATH"
localedef -i de_DE -f UTF-8 "$LOCPATH/de_DE.UTF-8" 2>/dev/null || true
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
# Every test again with the C library and Qt in that comma locale.
if [ -d "$LOCPATH/de_DE.UTF-8" ]; then
  (cd "$build" && LC_ALL=de_DE.UTF-8 QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
fi

# Every test program again under AddressSanitizer and UBSan: no test may read or
# write out of bounds, use freed memory, leak, or meet undefined behaviour. Some
# tests ask for impossible allocations and expect the allocator's null.
asan="$root/build/asan"
cmake -S "$root" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON
cmake --build "$asan" --target korvane_core_tests korvane_gui_tests
(cd "$asan" && ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 QT_QPA_PLATFORM=offscreen ctest --output-on-failure)

# The program and its tests also build and pass with clang where it is installed,
# so that neither compiler's extensions creep in.
if command -v clang++ >/dev/null; then
  clang="$root/build/clang"
  CXX=clang++ cmake -S "$root" -B "$clang" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$clang" --target korvane korvane_core_tests korvane_gui_tests
  (cd "$clang" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
fi
