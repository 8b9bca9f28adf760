#!/usr/bin/env bash
# ./test.sh: installs what the build needs, builds, and runs every test.
source "$(dirname "$0")/scripts/common.sh"

# CI builds with warnings as errors; otherwise the same build as ./run.sh.
preset=default
[ -n "${CI:-}" ] && preset=ci

ensure_packages "${BUILD_PACKAGES[@]}"
build_preset "$preset"
ctest --preset "$preset"
