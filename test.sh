#!/usr/bin/env bash
# ./test.sh             builds and runs every test of the Linux build
# ./test.sh --sanitize  builds and runs the same tests with AddressSanitizer
#                       and UndefinedBehaviorSanitizer
# ./test.sh --tsan      builds and runs the scan's and the platform's tests
#                       with ThreadSanitizer
# ./test.sh --windows   cross-builds the scan and its tests for Windows and
#                       runs them under wine
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
    # wine keeps its Windows installation in the build folder.
    export WINEPREFIX=$PWD/build/windows/wineprefix WINEDEBUG=-all
    # No .NET or HTML engine is needed, so wine does not offer to install them.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -d "$WINEPREFIX" ]; then
      mkdir -p "$WINEPREFIX"
      wineboot --init > /dev/null 2>&1 || true
    fi
    # One persistent wine server, with its services started here rather than
    # inside a test (where they would hold the test's output open), for the
    # whole run. A server left from setting up the prefix goes first.
    wineserver --kill 2> /dev/null || true
    wineserver --wait 2> /dev/null || true
    wineserver --persistent
    trap 'wineserver --kill 2> /dev/null || true' EXIT
    wine cmd /c exit > /dev/null 2>&1 < /dev/null || true
    ;;
  *)
    echo "usage: ./test.sh [--sanitize | --tsan | --windows]" >&2
    exit 2
    ;;
esac

build_preset "$preset"
ctest --preset "$preset"
