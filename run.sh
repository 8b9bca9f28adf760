#!/usr/bin/env bash
# ./run.sh: installs what the build needs, builds, and starts the program.
source "$(dirname "$0")/scripts/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
build_preset default
echo "Built the scan and its tests. The window is not there yet."
