#!/usr/bin/env bash
# ./bench.sh [MAPS] [ROUNDS] [READS_IN_FLIGHT]: times a scan of MAPS generated
# maps (default 20000) against plain open/read/close floors, one map at a time
# and on as many threads as the scan may use, and the whole groundstyles-scan
# process scanning them, with the maps cached and, as root on Linux, with the
# page cache dropped; the line before the last is the process's ratio to the
# one-at-a-time floor (cli_ratio_to_floor), the last the scan's, with the
# maps cached.
# ./bench.sh --windows [MAPS] [ROUNDS] [READS_IN_FLIGHT]: the same with the
# benchmark cross-built for Windows and run under wine, against CreateFileW,
# ReadFile and CloseHandle floors; the page cache stays, so there are no cold
# rounds, and the last two lines are the ratios to the faster of the two floors.
source "$(dirname "$0")/scripts/common.sh"

if [ "${1:-}" = --windows ]; then
  shift
  ensure_packages "${WINDOWS_PACKAGES[@]}"
  build_preset windows groundstyles_bench
  prepare_wine
  wine "$(build_dir windows)/bench/groundstyles_bench.exe" "$@"
else
  ensure_packages "${BUILD_PACKAGES[@]}"
  build_preset default groundstyles_bench
  exec "$(build_dir default)/bench/groundstyles_bench" "$@"
fi
