#!/usr/bin/env bash
# ./bench.sh [MAPS] [ROUNDS]: times a scan of MAPS generated maps (default
# 20000) against a plain open/read/close floor; the last line is the ratio.
source "$(dirname "$0")/scripts/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
build_preset default groundstyles_bench
exec build/default/bench/groundstyles_bench "$@"
