# Shared by run.sh, test.sh, bench.sh, fuzz.sh and package.sh: installs
# missing Debian packages, builds a CMake preset, sets up wine and a display.
# Source it; it changes into the project folder.

set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# The packages every Linux build needs (and a session bus for the window's tests).
BUILD_PACKAGES=(cmake make g++ libgtest-dev qt6-base-dev qt6-qpa-plugins desktop-file-utils appstream dbus-daemon)

# And those the Windows cross-build and its runs under wine need (Xvfb for a
# machine without a display).
WINDOWS_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine wine64 xvfb)

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

# Commands to run when the script ends, last added first.
on_exit=()
run_on_exit() {
  local i
  for ((i = ${#on_exit[@]} - 1; i >= 0; i--)); do eval "${on_exit[i]}"; done
}
trap run_on_exit EXIT

# ensure_display: starts a private Xvfb for this script when there is no display.
ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$number_file" 2> /dev/null &
  local pid=$!
  on_exit+=("kill $pid 2> /dev/null || true")
  for _ in $(seq 100); do [ -s "$number_file" ] && break; sleep 0.1; done
  DISPLAY=:$(cat "$number_file")
  export DISPLAY
  rm -f "$number_file"
}

# wine_prefix: the Windows installation wine keeps in build/windows/wineprefix.
wine_prefix() {
  export WINEPREFIX=$PWD/build/windows/wineprefix WINEDEBUG=-all
  # No .NET or HTML engine is needed, so wine does not offer to install them.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -d "$WINEPREFIX" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init > /dev/null 2>&1 || true
    wineserver --wait 2> /dev/null || true
  fi
}

# prepare_wine: the prefix, and one persistent wine server for the whole
# script, with its services started here rather than inside a test (where
# they would hold the test's output open).
prepare_wine() {
  wine_prefix
  # A server left from setting up the prefix goes first.
  wineserver --kill 2> /dev/null || true
  wineserver --wait 2> /dev/null || true
  wineserver --persistent
  on_exit+=("wineserver --kill 2> /dev/null || true")
  wine cmd /c exit > /dev/null 2>&1 < /dev/null || true
}
