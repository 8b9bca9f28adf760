#!/usr/bin/env bash
# ./test.sh             builds and runs every test of the Linux build
# ./test.sh --sanitize  builds and runs the same tests with AddressSanitizer
#                       and UndefinedBehaviorSanitizer
# ./test.sh --tsan      builds and runs the scan's, the platform's and Form1's
#                       tests with ThreadSanitizer
# ./test.sh --windows   cross-builds groundstyles.exe and the tests for
#                       Windows and runs them under wine
source "$(dirname "$0")/scripts/common.sh"

case "${1:-}" in
  "")
    # CI builds with warnings as errors; otherwise the same build as ./run.sh.
    preset=default
    [ -n "${CI:-}" ] && preset=ci
    ensure_packages "${BUILD_PACKAGES[@]}"
    ;;
  --sanitize)
    preset=sanitize
    ensure_packages "${BUILD_PACKAGES[@]}"
    ;;
  --tsan)
    preset=tsan
    ensure_packages "${BUILD_PACKAGES[@]}"
    ;;
  --windows)
    preset=windows
    ensure_packages "${WINDOWS_PACKAGES[@]}"
    ensure_display  # the window's own tests open windows
    prepare_wine
    ;;
  *)
    echo "usage: ./test.sh [--sanitize | --tsan | --windows]" >&2
    exit 2
    ;;
esac

build_preset "$preset"
ctest --preset "$preset"
