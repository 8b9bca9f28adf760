#!/usr/bin/env bash
# ./bench.sh [MAPS] [ROUNDS] [READS_IN_FLIGHT]: times a scan of MAPS generated
# maps (default 20000) against plain open/read/close floors, one map at a time
# and on as many threads as the scan may use, and the whole groundstyles-scan
# process (stripped, as the packages ship it) scanning them, with the maps
# cached and, as root on Linux, with the page cache dropped; the line before
# the last is the process's ratio to the one-at-a-time floor
# (cli_ratio_to_floor), the last the scan's, with the maps cached.
# ./bench.sh --windows [MAPS] [ROUNDS] [READS_IN_FLIGHT]: the same with the
# benchmark cross-built for Windows and run under wine, against CreateFileW,
# ReadFile and CloseHandle floors; the page cache stays, so there are no cold
# rounds, and the last two lines are the ratios to the faster of the two floors.
# ./bench.sh [--windows] --list [MAPS] [ROUNDS] [ADDED]: times the window
# opening a folder of MAPS generated maps (default 100000) through to File1's
# names, against a floor that lists the folder's names and sorts them, then
# the CPU time the program uses while ADDED maps (default 50) are added to it
# at 5 a second; the last line is list_ratio_to_floor. The window is drawn off
# the screen on Linux, and on a private Xvfb under wine when there is no
# display; for wine the maps are written by the Linux build, once for each
# count, in build/windows/list-bench-MAPS.
source "$(dirname "$0")/scripts/common.sh"

windows=false
if [ "${1:-}" = --windows ]; then
  windows=true
  shift
fi
target=groundstyles_bench
if [ "${1:-}" = --list ]; then
  target=groundstyles_list_bench
  shift
fi

# list_bench_folder MAPS: a folder whose subfolder "maps" holds MAPS maps,
# written once for each count by the Linux build's generator, as wine makes
# each new file in a time that grows with its folder.
list_bench_folder() {
  local folder
  folder="$(build_dir windows)/list-bench-$1"
  if [ ! -d "$folder/maps" ]; then
    ensure_packages "${BUILD_PACKAGES[@]}"
    build_preset default groundstyles_mapgen > /dev/null
    rm -rf "$folder.part"
    "$(build_dir default)/tools/groundstyles_mapgen" "$folder.part/maps" "$1"
    mv "$folder.part" "$folder"
  fi
  echo "$folder"
}

if [ "$windows" = true ]; then
  ensure_packages "${WINDOWS_PACKAGES[@]}"
  build_preset windows "$target"
  if [ "$target" = groundstyles_list_bench ]; then
    folder=$(list_bench_folder "${1:-100000}")
    ensure_display
    ensure_window_manager
  fi
  prepare_wine
  if [ "$target" = groundstyles_list_bench ]; then
    set -- "${1:-100000}" "${2:-5}" "${3:-50}" "$(winepath -w "$folder")"
  fi
  wine "$(build_dir windows)/bench/$target.exe" "$@"
else
  ensure_packages "${BUILD_PACKAGES[@]}"
  build_preset default "$target"
  exec "$(build_dir default)/bench/$target" "$@"
fi
