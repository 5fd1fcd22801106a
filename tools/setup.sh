#!/usr/bin/env bash
# Installs from Debian's packages everything the suite needs to build, run and test on a
# fresh Debian 12 machine. Safe to run again: it only calls apt-get when a package is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
  qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  fonts-nanum fonts-liberation fontconfig
  clang libclang-rt-14-dev
  # the icon, the Debian package and its checks
  librsvg2-bin dpkg-dev file desktop-file-utils man-db lintian
  # the Python package twsuite and its tests
  pybind11-dev python3-dev python3-numpy python3-pytest
  # the comparison benchmarks against a pure-Python IAPWS-IF97
  python3-iapws
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
if ! command -v apt-get >/dev/null 2>&1; then
  echo "setup: cannot install ${missing[*]}: this machine has no apt-get (a Debian 12 machine is expected)" >&2
  exit 1
fi
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo_cmd=(sudo -n)
  else
    echo "setup: cannot install ${missing[*]}: run this script as root (or with password-less sudo)" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
