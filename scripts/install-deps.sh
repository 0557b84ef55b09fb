#!/usr/bin/env bash
# Installs the Debian packages the build needs; skips those already installed.
set -euo pipefail
packages=(g++ cmake ninja-build qt6-base-dev libjpeg-dev libgtest-dev libgmock-dev
          libbenchmark-dev fonts-dejavu-core ccache xvfb xauth locales)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q || true
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
