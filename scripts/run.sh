#!/usr/bin/env bash
# Installs what is missing, builds the program and its help documents (Release) and
# starts it in build/run/, which holds the program's folders (help, models,
# database) copied from assets/, and the help documents in help/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target korvane help_documents
run="$root/build/run"
mkdir -p "$run"
cp -r "$root/assets/." "$run/"
cp "$build"/help/*.pdf "$run/help/"
cp "$build/src/korvane" "$run/korvane"
cd "$run"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  echo "No display found. Start the program under a virtual display with:"
  echo "  xvfb-run -a -s '-screen 0 1600x1000x24' scripts/run.sh"
  exit 1
fi
exec ./korvane "$@"
