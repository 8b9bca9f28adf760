#!/usr/bin/env bash
# ./test.sh             builds and runs every test of the Linux build
# ./test.sh --sanitize  builds and runs the same tests with AddressSanitizer
#                       and UndefinedBehaviorSanitizer
# ./test.sh --tsan      builds and runs the scan's, the platform's and Form1's
#                       tests with ThreadSanitizer
# ./test.sh --windows   cross-builds groundstyles.exe and the tests for
#                       Windows and runs them under wine
source "$(dirname "$0")/scripts/common.sh"

packages=("${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}")
case "${1:-}" in
  "")
    # CI builds with warnings as errors; otherwise the same build as ./run.sh.
    preset=default
    [ -n "${CI:-}" ] && preset=ci
    ;;
  --sanitize) preset=sanitize ;;
  --tsan) preset=tsan ;;
  --windows)
    preset=windows
    packages=("${WINDOWS_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}")
    ;;
  *)
    echo "usage: ./test.sh [--sanitize | --tsan | --windows]" >&2
    exit 2
    ;;
esac
ensure_packages "${packages[@]}"
if [ "$preset" = windows ]; then
  ensure_display  # the window's own tests open windows
  ensure_window_manager
  prepare_wine
fi

build_preset "$preset"
ctest --preset "$preset"
