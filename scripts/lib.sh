# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by scripts/run and scripts/test: install what the build needs, then build.
# shellcheck shell=bash

QUORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

quorvane_packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  xvfb xauth
)

# Installs the Debian packages that are missing, with apt, as root or through sudo.
quorvane_install_packages() {
  local missing=() pkg
  for pkg in "${quorvane_packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  local apt=(apt-get)
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      apt=(sudo apt-get)
    else
      echo "Missing packages: ${missing[*]} (run as root or install them by hand)" >&2
      return 1
    fi
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${apt[@]}" update -qq || return 1
  "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" || return 1
}

# quorvane_build <preset>
quorvane_build() {
  local preset=$1
  cmake --preset "$preset" -S "$QUORVANE_ROOT" >/dev/null || return 1
  cmake --build --preset "$preset" || return 1
}
