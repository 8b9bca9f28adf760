#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks that the program, its
# desktop entry, icons and AppStream metainfo land where desktops look for
# them, and groundstyles-scan, its manual page and bash completion where
# shells do, and validates the entry and metainfo with the desktop's own tools.
#   check_install.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" > /dev/null
share=$prefix/share
for file in "$prefix/bin/groundstyles" "$share/applications/groundstyles.desktop" \
            "$share/metainfo/org.groundstyles.Groundstyles.metainfo.xml" \
            "$share/icons/hicolor/16x16/apps/groundstyles.png" "$share/icons/hicolor/32x32/apps/groundstyles.png" \
            "$prefix/bin/groundstyles-scan" "$share/man/man1/groundstyles-scan.1.gz" \
            "$share/bash-completion/completions/groundstyles-scan"; do
  [ -f "$file" ] || { echo "not installed: ${file#"$prefix"/}"; exit 1; }
done
grep -qF "<release version=\"$version\"" "$share/metainfo/org.groundstyles.Groundstyles.metainfo.xml"

validated=0
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$share/applications/groundstyles.desktop"
  validated=$((validated + 1))
fi
if command -v appstreamcli > /dev/null; then
  appstreamcli validate --no-net "$share/metainfo/org.groundstyles.Groundstyles.metainfo.xml"
  validated=$((validated + 1))
fi
echo "installed files present; $validated validator(s) ran"
