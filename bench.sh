#!/usr/bin/env bash
# ./bench.sh [MAPS] [ROUNDS] [READS_IN_FLIGHT]: times a scan of MAPS generated
# maps (default 20000) against plain open/read/close floors, one map at a time
# and on as many threads as the scan may use, with the maps cached and, as
# root on Linux, with the page cache dropped; the last line is the ratio to the
# one-at-a-time floor with the maps cached.
source "$(dirname "$0")/scripts/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
build_preset default groundstyles_bench
exec build/default/bench/groundstyles_bench "$@"
