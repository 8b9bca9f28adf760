#!/usr/bin/env bash
# ./package.sh: builds what a user installs into build/packages and checks
# each package: the Debian package for Debian and Ubuntu, and for Windows a
# zip to unpack anywhere and an installer. Names and version come from the
# build (CPack's configuration), not from this script.
source "$(dirname "$0")/scripts/common.sh"

# The same builds as the tests', in the same folders.
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}" \
  dpkg-dev lintian nsis unzip icoutils file python3
linux_build=$(build_dir default)
windows_build=$(build_dir windows)

out=$PWD/build/packages
rm -rf "$out"
mkdir -p "$out"
scratch=$(mktemp -d)
remove_scratch() { rm -rf "$scratch"; }
on_exit+=(remove_scratch)

fail() {
  echo "package.sh: $*" >&2
  exit 1
}

# cpack_value BUILD_DIR VARIABLE: a value of the build's CPack configuration.
cpack_value() {
  sed -n "s/^set($2 \"\(.*\)\")\$/\1/p" "$1/CPackConfig.cmake"
}

# check_program EXE WHAT: the Windows program's version resource and icon are
# the project's: name, version as CPack has it (and as fixed version
# MAJOR.MINOR.PATCH.0), the comment, and the globe in two 16-colour images.
check_program() {
  local resources fixed strings
  resources=$(x86_64-w64-mingw32-windres -i "$1" -O rc)
  fixed="FILEVERSION $major, $minor, $patch, 0|PRODUCTVERSION $major, $minor, $patch, 0"
  strings="VALUE \"Comments\", \"Examines all MAP files in a folder and creates a report \"|"
  strings+="VALUE \"FileVersion\", \"$version\"|VALUE \"InternalName\", \"$name\"|"
  strings+="VALUE \"ProductName\", \"$name\"|VALUE \"ProductVersion\", \"$version\""
  [ "$(grep -E '^ *(FILE|PRODUCT)VERSION ' <<< "$resources" | sed 's/^ *//' | paste -sd'|')" = "$fixed" ] ||
    fail "$2: the fixed version is not $major.$minor.$patch.0"
  [ "$(grep -E '^ *VALUE "[A-Za-z]+", "' <<< "$resources" | sed 's/^ *//' | paste -sd'|')" = "$strings" ] ||
    fail "$2: the version strings are not the project's"
  wrestool -x --type=14 "$1" | file - |
    grep -q '2 icons, 32x32, 16 colors, 4 bits/pixel, 16x16, 16 colors, 4 bits/pixel' ||
    fail "$2: the icon is not the globe in two 16-colour images"
  echo "$2: version $version, name $name, the globe icon"
}

# installer_holds SETUP TEXT_FILE: whether the installer's header, which
# holds its pages' texts, holds TEXT_FILE's text with CR LF line ends as the
# installer shows it (NSIS keeps the header as one LZMA stream after its first
# header, and the texts in UTF-16).
installer_holds() {
  python3 - "$1" "$2" <<'PYTHON'
import lzma, struct, sys
data = open(sys.argv[1], "rb").read()
first = data.find(b"\xef\xbe\xad\xdeNullsoftInst") - 4
(size,) = struct.unpack_from("<I", data, first + 28)
body = data[first + 32:first + 32 + (size & 0x7FFFFFFF)]
props, dict_size = body[0], struct.unpack_from("<I", body, 1)[0]
lzma1 = {"id": lzma.FILTER_LZMA1, "dict_size": dict_size, "lc": props % 9, "lp": props // 9 % 5, "pb": props // 45}
header = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=[lzma1]).decompress(body[5:])
text = open(sys.argv[2], encoding="utf-8").read().rstrip("\n").replace("\n", "\r\n")
sys.exit(0 if text.encode("utf-16-le") in header else 1)
PYTHON
}

# wine_state: the files of the wine prefix's drive C: and its registry keys,
# less what wine keeps for itself (Software\Wine). An uninstaller runs from a
# copy in the temporary folder, ~nsuN.tmp, that the next start of Windows
# deletes: NSIS's own, whatever is in it.
wine_state() {
  (cd "$WINEPREFIX/drive_c" && find . | grep -vE '^\./users/[^/]+/Temp/~nsu[^/]*\.tmp(/|$)' | sort)
  grep -h '^\[' "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" | sed 's/\] [0-9]*$/]/' |
    grep -v '^\[Software\\\\Wine' | sort
}

echo "== building"
build_preset default
(cd "$linux_build" && cpack -B "$out" > /dev/null)
build_preset windows
(cd "$windows_build" && cpack -B "$out" > /dev/null)
rm -rf "$out/_CPack_Packages"

name=$(cpack_value "$windows_build" CPACK_PACKAGE_NAME)
version=$(cpack_value "$windows_build" CPACK_PACKAGE_VERSION)
major=$(cpack_value "$windows_build" CPACK_PACKAGE_VERSION_MAJOR)
minor=$(cpack_value "$windows_build" CPACK_PACKAGE_VERSION_MINOR)
patch=$(cpack_value "$windows_build" CPACK_PACKAGE_VERSION_PATCH)
windows_name=$(cpack_value "$windows_build" CPACK_PACKAGE_FILE_NAME)
deb=$out/$(cpack_value "$linux_build" CPACK_DEBIAN_PACKAGE_NAME)_${version}_amd64.deb
zip=$out/$windows_name.zip
setup=$out/$windows_name-setup.exe
for package in "$deb" "$zip" "$setup"; do
  [ -f "$package" ] || fail "not built: ${package#"$PWD"/}"
done

echo "== ${deb#"$PWD"/}"
dpkg-deb --info "$deb"
contents=$(dpkg-deb --contents "$deb")
echo "$contents"
for path in usr/bin/groundstyles usr/share/applications/groundstyles.desktop \
            usr/share/metainfo/org.groundstyles.Groundstyles.metainfo.xml \
            usr/share/icons/hicolor/16x16/apps/groundstyles.png usr/share/icons/hicolor/32x32/apps/groundstyles.png \
            usr/share/man/man1/groundstyles.1.gz usr/share/doc/groundstyles/copyright; do
  grep -q " \./$path\$" <<< "$contents" || fail "not in the Debian package: /$path"
done
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || fail "the Debian package does not depend on Qt"
lintian --fail-on error "$deb" 2> /dev/null
unpacked=$scratch/deb
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/groundstyles.desktop"
# The copyright file gives the license's text as LICENSE does, and the metainfo names it.
[ "$(sed -n 's/^ //p' "$unpacked/usr/share/doc/groundstyles/copyright" | sed 's/^\.$//')" = \
  "$(sed '1,4d' LICENSE)" ] || fail "the Debian copyright file does not give the license of LICENSE"
grep -q '<project_license>MIT</project_license>' "$unpacked/usr/share/metainfo/org.groundstyles.Groundstyles.metainfo.xml" ||
  fail "the metainfo does not name the MIT license"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/org.groundstyles.Groundstyles.metainfo.xml"
# It starts with the libraries it depends on and runs until it is stopped.
! ldd "$unpacked/usr/bin/groundstyles" | grep 'not found' || fail "a library is missing"
status=0
QT_QPA_PLATFORM=offscreen timeout 3 "$unpacked/usr/bin/groundstyles" || status=$?
[ "$status" -eq 124 ] || fail "the packaged program ended by itself (status $status)"

echo "== ${zip#"$PWD"/}"
unzip -Z1 "$zip"
[ "$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')" = \
  "$windows_name/LICENSE.txt $windows_name/README.txt $windows_name/groundstyles-scan.exe $windows_name/groundstyles.exe " ] ||
  fail "the zip should hold groundstyles.exe, groundstyles-scan.exe, README.txt and LICENSE.txt"
unzip -q "$zip" -d "$scratch/zip"
for text in README.txt LICENSE.txt; do
  file=$scratch/zip/$windows_name/$text
  [ "$(grep -c $'\r$' "$file")" -eq "$(wc -l < "$file")" ] || fail "$text has lines not ending in CR LF"
done
[ "$(tr -d '\r' < "$scratch/zip/$windows_name/LICENSE.txt")" = "$(cat LICENSE)" ] || fail "LICENSE.txt is not LICENSE"
check_program "$scratch/zip/$windows_name/groundstyles.exe" "the zip's program"

echo "== ${setup#"$PWD"/}, installed and removed under wine"
# The license page shows LICENSE, not CPack's placeholder.
installer_holds "$setup" LICENSE || fail "the installer's license page does not show LICENSE"
wine_prefix
ensure_display  # the installed program is started from its shortcut
wineserver -w
before=$(wine_state)
wine_path() { winepath -u "$1" 2> /dev/null; }
installed=$(wine_path "C:\\Program Files\\$name")
shortcut=$(wine_path "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$name\\$name.lnk")
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$name"
registry() { wine reg query "$uninstall_key" /v "$1" 2> /dev/null | sed -n "s/^ *$1 *REG_SZ *//p" | tr -d '\r'; }

wine "$setup" /S 2> /dev/null
wineserver -w
[ -f "$installed/groundstyles.exe" ] || fail "the installer did not install groundstyles.exe"
check_program "$installed/groundstyles.exe" "the installed program"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
strings "$shortcut" | grep -qxF "C:\\Program Files\\$name\\groundstyles.exe" ||
  fail "the shortcut does not start the installed program"
[ "$(registry DisplayName)" = "$name" ] || fail "no uninstall entry named $name"
[ "$(registry DisplayVersion)" = "$version" ] || fail "the uninstall entry does not say version $version"
[ "$(registry DisplayIcon)" = "C:\\Program Files\\$name\\groundstyles.exe" ] ||
  fail "the uninstall entry does not show the program's icon"
# Started from the shortcut, the program runs in the user's Documents folder.
documents=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v Personal |
  sed -n 's/^ *Personal *REG_SZ *//p' | tr -d '\r')
[ -n "$documents" ] || fail "the system names no Documents folder"
wine start "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$name\\$name.lnk" 2> /dev/null
started=
for _ in $(seq 100); do
  for pid in $(pgrep -f 'Groundstyles\\groundstyles\.exe' || true); do
    tr '\0' '\n' < "/proc/$pid/environ" 2> /dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && started=$pid
  done
  [ -n "$started" ] && break
  sleep 0.1
done
[ -n "$started" ] || fail "the shortcut does not start the program"
working=$(readlink -f "/proc/$started/cwd")
kill "$started"
wineserver -w
[ "$working" = "$(readlink -f "$(wine_path "$documents")")" ] ||
  fail "the shortcut starts the program in $working, not in Documents ($documents)"
echo "installed: groundstyles.exe, the shortcut (starting in $documents) and the uninstall entry"

wine "C:\\Program Files\\$name\\Uninstall.exe" /S 2> /dev/null
wineserver -w
wineboot --restart 2> /dev/null  # as Windows starts again: the uninstaller's copy goes
wineserver -w
[ ! -e "$installed" ] || fail "the uninstaller left $installed"
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"
[ -z "$(registry DisplayName)" ] || fail "the uninstaller left the uninstall entry"
diff <(echo "$before") <(wine_state) || fail "the uninstaller left the above (<: gone, >: new)"
echo "removed: the program, the shortcut and the uninstall entry; the rest is as before the install"

echo "package.sh: built and checked in ${out#"$PWD"/}:"
ls -l "$out"
