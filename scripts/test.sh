#!/usr/bin/env bash
# Installs what is missing, builds the program, its help documents and its tests
# once (RelWithDebInfo, every compiler warning an error) and runs every test,
# then every test again in a comma-decimal locale. scripts/test-sanitizers.sh
# runs the slower checks.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_WARNINGS_AS_ERRORS=ON
cmake --build "$build" --target korvane help_documents korvane_core_tests korvane_gui_tests
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2)
# Every test again with the C library and Qt in a comma-decimal locale: number
# text must not follow the locale.
export LOCPATH="$build/locale"
mkdir -p "$LOCPATH"
localedef -i de_DE -f UTF-8 "$LOCPATH/de_DE.UTF-8" 2>/dev/null || true
if [ -d "$LOCPATH/de_DE.UTF-8" ]; then
  (cd "$build" && LC_ALL=de_DE.UTF-8 QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2)
fi
