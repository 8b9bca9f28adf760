#!/usr/bin/env bash
# ./run.sh [FOLDER]: installs what the build needs, builds, and starts the
# program in FOLDER, so that its lists open there. Without FOLDER it opens a
# folder of generated sample maps in the build folder.
if [ $# -gt 1 ]; then
  echo "usage: ./run.sh [FOLDER]" >&2
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

ensure_packages "${BUILD_PACKAGES[@]}"
build_preset default groundstyles groundstyles_mapgen
program=$PWD/build/default/src/window/qt/groundstyles

if [ -z "$folder" ]; then
  folder=build/default/sample-maps
  if [ ! -d "$folder" ]; then
    build/default/tests/groundstyles_mapgen "$folder" 40
  fi
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display to open the window on; run it under Xvfb instead: xvfb-run -a ./run.sh${1:+ $1}" >&2
  exit 1
fi

cd "$folder"
exec "$program"
