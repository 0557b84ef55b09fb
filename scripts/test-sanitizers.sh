#!/usr/bin/env bash
# The slower checks: every test under AddressSanitizer and UBSan (Debug, with the
# standard library's own assertions), then everything built with clang, where it
# is installed, and every test of that build; every compiler warning is an error.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

# No test may read or write out of bounds, use freed memory, leak, meet undefined
# behaviour or break a precondition of the standard library. Some tests ask for
# impossible allocations and expect the allocator's null.
asan="$root/build/asan"
cmake -S "$root" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON -DKORVANE_WARNINGS_AS_ERRORS=ON
cmake --build "$asan" --target korvane_core_tests korvane_gui_tests
(cd "$asan" && ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2)

# The program, its tests, its benchmarks and the help pictures' walk also build,
# and the tests pass, with clang, so that neither compiler's extensions creep in.
if command -v clang++ >/dev/null; then
  clang="$root/build/clang"
  CXX=clang++ cmake -S "$root" -B "$clang" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_WARNINGS_AS_ERRORS=ON
  cmake --build "$clang"
  (cd "$clang" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2)
  # The walk that makes the help pictures still gets through every window.
  pictures="$(mktemp -d)"
  QT_QPA_PLATFORM=offscreen "$clang/tests/app/korvane_help_pictures" "$pictures"
  rm -rf "$pictures"
else
  echo "clang++ not installed: the clang build is skipped"
fi
