#!/usr/bin/env bash
# ./run.sh [FOLDER]            installs what the build needs, builds, and starts
#                              the program in FOLDER, so that its lists open there
# ./run.sh --windows [FOLDER]  the same with groundstyles.exe under wine
# Without FOLDER it opens a folder of generated sample maps in the build folder.
source "$(dirname "$0")/scripts/common.sh"

target=linux
if [ "${1:-}" = --windows ]; then
  target=windows
  shift
fi
if [ $# -gt 1 ]; then
  echo "usage: ./run.sh [--windows] [FOLDER]" >&2
  exit 2
fi
folder=${1:-}
if [ -n "$folder" ]; then
  # A relative FOLDER is taken from where the script was called.
  folder=$(cd "$called_from" && cd "$folder" 2> /dev/null && pwd) || {
    echo "run.sh: $1 is not a folder" >&2
    exit 2
  }
fi

if [ "$target" = windows ]; then
  ensure_packages "${WINDOWS_PACKAGES[@]}"
  preset=windows
  build=$(build_dir windows)
  program=(wine "$build/src/window/win32/groundstyles.exe")
  mapgen=(wine "$build/tools/groundstyles_mapgen.exe")
  wine_prefix
else
  ensure_packages "${BUILD_PACKAGES[@]}"
  preset=default
  build=$(build_dir default)
  program=("$build/src/window/qt/groundstyles")
  mapgen=("$build/tools/groundstyles_mapgen")
fi
build_preset "$preset" groundstyles groundstyles_mapgen

if [ -z "$folder" ]; then
  folder=$build/sample-maps
  [ -d "$folder" ] || "${mapgen[@]}" "$folder" 40
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display to open the window on; run it under Xvfb instead: xvfb-run -a ./run.sh $*" >&2
  exit 1
fi

# Under wine the folder is on drive Z:, which is the Linux root.
cd "$folder"
trap - EXIT
exec "${program[@]}"
