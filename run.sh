#!/usr/bin/env bash
# ./run.sh [FOLDER]            installs what the build needs, builds, and starts
#                              the program in FOLDER, so that its lists open there
# ./run.sh --windows [FOLDER]  the same with groundstyles.exe under wine
# Without FOLDER it opens a folder of generated sample maps in the build folder.
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
  if [ ! -d "$folder" ]; then
    echo "run.sh: $folder is not a folder" >&2
    exit 2
  fi
  folder=$(cd "$folder" && pwd)  # before the set-up moves to the project folder
fi

source "$(dirname "$0")/scripts/common.sh"

if [ "$target" = windows ]; then
  ensure_packages "${WINDOWS_PACKAGES[@]}"
  preset=windows
  program=(wine "$PWD/build/windows/src/window/win32/groundstyles.exe")
  mapgen=(wine build/windows/bench/groundstyles_mapgen.exe)
  wine_prefix
else
  ensure_packages "${BUILD_PACKAGES[@]}"
  preset=default
  program=("$PWD/build/default/src/window/qt/groundstyles")
  mapgen=(build/default/bench/groundstyles_mapgen)
fi
build_preset "$preset" groundstyles groundstyles_mapgen

if [ -z "$folder" ]; then
  folder=$PWD/build/$preset/sample-maps
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
