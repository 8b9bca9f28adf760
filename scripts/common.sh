# Shared by run.sh, test.sh, bench.sh, fuzz.sh and package.sh: installs
# missing Debian packages, builds a CMake preset, sets up wine and a display.
# Source it first; it changes into the project folder and leaves the folder
# it was called from in $called_from.

set -euo pipefail
called_from=$PWD
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# The packages every Linux build needs (with the font the window is drawn
# in), and those its tests need besides (GoogleTest, the desktop's
# validators, a session bus for the window's tests, and fonts for East Asian
# languages, whose taller lines the window's tests are run with).
BUILD_PACKAGES=(cmake make g++ qt6-base-dev qt6-qpa-plugins fonts-liberation2 libcli11-dev)
TEST_PACKAGES=(libgtest-dev desktop-file-utils appstream dbus-daemon fonts-noto-cjk)

# Those the Windows cross-build and its runs under wine need (Xvfb and a
# window manager for a machine without a display), and GoogleTest's sources
# for its tests.
WINDOWS_PACKAGES=(cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libcli11-dev wine wine64 xvfb
  openbox x11-utils)
WINDOWS_TEST_PACKAGES=(googletest)

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

# build_dir PRESET: the preset's build folder. Every preset in
# CMakePresets.json builds in ${sourceDir}/build/${presetName}, the one
# binaryDir they inherit; build_preset checks that CMake agrees.
build_dir() {
  echo "$PWD/build/$1"
}

# build_preset PRESET [TARGET...]: configures (quick once done, and it picks
# up changed presets) and builds what changed.
build_preset() {
  local preset=$1 configured written
  shift
  configured=$(cmake --preset "$preset") || {
    echo "$configured"
    return 1
  }
  written=$(sed -n 's/^-- Build files have been written to: //p' <<< "$configured")
  [ -n "$written" ] && [ "$written" -ef "$(build_dir "$preset")" ] || {
    echo "CMake builds preset $preset in ${written:-a folder it did not name}, not in $(build_dir "$preset")," \
      "where scripts/common.sh's build_dir looks for it" >&2
    return 1
  }
  if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" --parallel "$(nproc)" --target "$@"
  else
    cmake --build --preset "$preset" --parallel "$(nproc)"
  fi
}

# Functions to call when the script ends, last added first.
on_exit=()
run_on_exit() {
  local i
  for ((i = ${#on_exit[@]} - 1; i >= 0; i--)); do "${on_exit[i]}"; done
}
trap run_on_exit EXIT

# ensure_display: starts a private Xvfb for this script when there is no display.
ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$number_file" 2> /dev/null &
  xvfb_pid=$!
  on_exit+=(stop_xvfb)
  for _ in $(seq 100); do [ -s "$number_file" ] && break; sleep 0.1; done
  DISPLAY=:$(cat "$number_file")
  export DISPLAY
  rm -f "$number_file"
}

stop_xvfb() { kill "$xvfb_pid" 2> /dev/null || true; }

# ensure_window_manager: on the private display, a window manager, as on any
# desktop. Without one, wine waits two seconds for the window manager that
# never answers each time a window is hidden or closed.
ensure_window_manager() {
  [ -n "${xvfb_pid:-}" ] || return 0
  openbox --sm-disable > /dev/null 2>&1 &
  window_manager_pid=$!
  on_exit+=(stop_window_manager)
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id' && break
    sleep 0.1
  done
}

stop_window_manager() { kill "$window_manager_pid" 2> /dev/null || true; }

# wine_prefix_folder: where wine keeps the Windows installation it runs here.
wine_prefix_folder() {
  echo "$(build_dir windows)/wineprefix"
}

# wine_prefix: the Windows installation wine keeps in the windows preset's
# build folder, and the settings every run of wine here takes.
wine_prefix() {
  WINEPREFIX=$(wine_prefix_folder)
  export WINEPREFIX WINEDEBUG=-all
  # No .NET or HTML engine is needed, so wine does not offer to install them.
  # Its menu builder stays off: it would add the prefix's shortcuts and file
  # types to the desktop's menus in the user's home, and the installer's
  # shortcuts with them.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
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
  on_exit+=(stop_wineserver)
  wine cmd /c exit > /dev/null 2>&1 < /dev/null || true
}
stop_wineserver() { wineserver --kill 2> /dev/null || true; }
