# Shared by run.sh, test.sh and bench.sh: installs missing Debian packages and
# builds a CMake preset. Source it; it changes into the project folder.

set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# The packages every Linux build needs.
BUILD_PACKAGES=(cmake make g++ libgtest-dev qt6-base-dev qt6-qpa-plugins desktop-file-utils appstream)

# And those the Windows cross-build and its test runs under wine need.
WINDOWS_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine wine64)

apt_updated=no

# ensure_packages PACKAGE...: installs those that are missing, nothing when all are there.
ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q ' ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing Debian packages: ${missing[*]}"
  if [ "$apt_updated" = no ]; then
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    apt_updated=yes
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}

# build_preset PRESET [TARGET...]: configures (quick once done, and it picks
# up changed presets) and builds what changed.
build_preset() {
  local preset=$1
  shift
  cmake --preset "$preset" > /dev/null
  if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" --parallel "$(nproc)" --target "$@"
  else
    cmake --build --preset "$preset" --parallel "$(nproc)"
  fi
}
