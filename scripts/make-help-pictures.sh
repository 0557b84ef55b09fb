#!/usr/bin/env bash
# Makes the pictures of the help documents again (docs/help/images/*.png): the
# program walks a first session on the example data offscreen and saves each
# window as the user meets it. Run it when a window changes, look at the
# pictures, and commit them; the build then remakes the help documents.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target korvane_help_pictures
QT_QPA_PLATFORM=offscreen "$build/tests/app/korvane_help_pictures" "$root/docs/help/images"
echo "pictures in $root/docs/help/images"
