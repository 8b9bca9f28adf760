#!/usr/bin/env bash
# ./package.sh: builds what a user installs into build/packages and checks
# each package: the Debian package for Debian and Ubuntu, and for Windows a
# zip to unpack anywhere and an installer. Names and version come from the
# build (CPack's configuration), not from this script.
source "$(dirname "$0")/scripts/common.sh"

# The same builds as the tests', in the same folders.
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}" \
  dpkg-dev lintian nsis unzip icoutils file python3 man-db
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

# check_program EXE WHAT: the version resource and icon of a Windows program
# (groundstyles.exe or groundstyles-scan.exe) are the project's: name, version
# as CPack has it (and as fixed version MAJOR.MINOR.PATCH.0), the program's
# own strings, and the globe in two 16-colour images.
check_program() {
  local resources fixed strings
  resources=$(x86_64-w64-mingw32-windres -i "$1" -O rc)
  fixed="FILEVERSION $major, $minor, $patch, 0|PRODUCTVERSION $major, $minor, $patch, 0"
  if [ "$(basename "$1")" = groundstyles-scan.exe ]; then
    strings="VALUE \"Comments\", \"Examines all MAP files in a folder and writes the report from a command prompt\"|"
    strings+="VALUE \"FileDescription\", \"$name from a command prompt\"|VALUE \"FileVersion\", \"$version\"|"
    strings+="VALUE \"InternalName\", \"groundstyles-scan\"|VALUE \"OriginalFilename\", \"groundstyles-scan.exe\"|"
  else
    strings="VALUE \"Comments\", \"Examines all MAP files in a folder and creates a report \"|"
    strings+="VALUE \"FileVersion\", \"$version\"|VALUE \"InternalName\", \"$name\"|"
  fi
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

# write_maps FOLDER: four generated maps, whatever the case of their names,
# and a file that is no map.
write_maps() {
  mkdir -p "$1"
  python3 - "$1" <<'PYTHON'
import os, struct, sys
def write(name, codes):
    data = bytearray(10 + 7 * 1800)  # a header, then 1,800 records of 7 bytes
    for k in range(1800):
        struct.pack_into("<h", data, 10 + 7 * k, codes[k % len(codes)])
    open(os.path.join(sys.argv[1], name), "wb").write(data)
write("CAEN.MAP", [0, 10])  # a stock map: Clear, River
write("Harbour.map", [12, 9, 17])  # Port, Ocean, an unknown code
write("Hills.MAP", [5])  # Hill
write("Bridges.MAP", [15, 13, 16])  # Impassable River, Stream, Rough
open(os.path.join(sys.argv[1], "NOTES.TXT"), "w").write("no map")
PYTHON
}

# expected_report FOLDER: the report, as the window writes it, of
# write_maps' maps in FOLDER, with River, Impassable River and Port ticked.
expected_report() {
  printf '%s\r\n' "Number of *.MAP files in $1 :  4" "" \
    "An '*' in front of a Mapname indicate that the map is a SSI-map." \
    "Only maps that contain groundstyles you search for, are listed." "" \
    "Mapname                 : Groundstyles found on map" \
    "===================================================" "" \
    "  Bridges.MAP           : Impassable River, " \
    "* CAEN.MAP              : River, " \
    "  Harbour.map           : Port, Unknown Groundstyle found"
}
scan_options=(-q -t river,impassable-river,port)

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

# installer_places: what the installer could have written there alone, as
# it stands: the files of the program's folder and of its Start-menu folder,
# and the registry keys, with their values, of its uninstall entry and of the
# vendor's key where NSIS keeps the install folder. NSIS writes them for the
# machine (Program Files, the shared Start menu, HKLM) or for the one user who
# installs (Documents, the user's Start menu, HKCU).
installer_places() {
  (cd "$WINEPREFIX/drive_c" &&
    for folder in "Program Files/$install_folder" users/*/Documents/"$install_folder" \
                  {ProgramData,users/*/AppData/Roaming}/"Microsoft/Windows/Start Menu/Programs/$menu_folder"; do
      if [ -e "$folder" ]; then find "$folder"; fi
    done | sort)
  registry_state system.reg HKLM
  registry_state user.reg HKCU
}

# wine_state: what the installer could have written, as it stands: its own
# places, and the Path of the machine's and of the user's environment, which
# its PATH option changes. Nothing else is compared: wine rewrites keys of its
# own now and then (the network cards', say).
wine_state() {
  installer_places
  environment_path system.reg HKLM "$machine_environment"
  environment_path user.reg HKCU "$user_environment"
}

# environment_path FILE ROOT KEY: the Path value, with its type, of the
# environment's key KEY in wine's registry file FILE (the root key ROOT).
environment_path() {
  KEY=$3 awk -v root="$2" '
    /^\[/ {
      name = $0
      sub(/\] [0-9]+$/, "", name)
      name = substr(name, 2)
      gsub(/\\\\/, "\\", name)  # the file doubles each backslash of a name
      shown = tolower(name) == tolower(ENVIRON["KEY"])
      next
    }
    shown && tolower($0) ~ /^"path"=/ { print "[" root "\\" ENVIRON["KEY"] "] " $0 }
  ' "$WINEPREFIX/$1"
}
machine_environment='System\CurrentControlSet\Control\Session Manager\Environment'
user_environment='Environment'

# registry_state FILE ROOT: the keys of wine's registry file FILE (the root
# key ROOT) that the installer could have written, in either registry view,
# with the keys below them and their values; wine's time stamps left out.
registry_state() {
  local key keys=()
  for key in "Microsoft\\Windows\\CurrentVersion\\Uninstall\\$registry_key" "$vendor"; do
    keys+=("Software\\$key" "Software\\Wow6432Node\\$key")
  done
  KEYS=$(printf '%s\n' "${keys[@]}") awk -v root="$2" '
    BEGIN { count = split(tolower(ENVIRON["KEYS"]), keys, "\n") }
    /^\[/ {
      name = $0
      sub(/\] [0-9]+$/, "", name)
      name = substr(name, 2)
      gsub(/\\\\/, "\\", name)  # the file doubles each backslash of a name
      shown = 0
      for (i = 1; i <= count; i++) {
        if (tolower(name) == keys[i] || index(tolower(name), keys[i] "\\") == 1) shown = 1
      }
      if (shown) print "[" root "\\" name "]"
      next
    }
    /^$/ { shown = 0 }
    shown && !/^#time=/ { print "  " $0 }
  ' "$WINEPREFIX/$1"
}

# desktop_entries: the desktop entries in the tester's menus where wine puts
# them, and in the wine prefix. Wine's menu builder, which would add the
# installer's shortcuts there, does not run here (scripts/common.sh).
desktop_entries() {
  local folder
  for folder in "${XDG_DATA_HOME:-$HOME/.local/share}/applications/wine" "$(wine_prefix_folder)"; do
    if [ -d "$folder" ]; then find "$folder" -name '*.desktop'; fi
  done | sort
}

# new_desktop_entries: those that were not there before the install.
new_desktop_entries() {
  comm -13 <(echo "$entries_before") <(desktop_entries) | paste -sd' '
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
install_folder=$(cpack_value "$windows_build" CPACK_PACKAGE_INSTALL_DIRECTORY)
menu_folder=$(cpack_value "$windows_build" CPACK_NSIS_PACKAGE_NAME)  # the installer's name
registry_key=$(cpack_value "$windows_build" CPACK_PACKAGE_INSTALL_REGISTRY_KEY)
vendor=$(cpack_value "$windows_build" CPACK_PACKAGE_VENDOR)
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
            usr/share/man/man1/groundstyles.1.gz usr/share/doc/groundstyles/copyright \
            usr/bin/groundstyles-scan usr/share/man/man1/groundstyles-scan.1.gz \
            usr/share/bash-completion/completions/groundstyles-scan; do
  grep -q " \./$path\$" <<< "$contents" || fail "not in the Debian package: /$path"
done
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || fail "the Debian package does not depend on Qt"
lintian --fail-on error "$deb" 2> /dev/null
# Lintian says nothing of groundstyles-scan's files that it does not say of
# the window's program, even among its informational tags.
tags=$(lintian --display-info "$deb" 2> /dev/null)
scan_files='usr/bin/groundstyles-scan|usr/share/man/man1/groundstyles-scan\.1\.gz|usr/share/bash-completion/completions/groundstyles-scan'
new_tags=$(grep -E " \[($scan_files)\]\$" <<< "$tags" | sed 's/ \[.*//' | sort -u |
  comm -23 - <(sed -n 's| \[usr/bin/groundstyles\]$||p' <<< "$tags" | sort -u))
[ -z "$new_tags" ] || fail "lintian tags groundstyles-scan's files: $new_tags"
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

# groundstyles-scan runs from the package and writes the window's report.
scan=$unpacked/usr/bin/groundstyles-scan
[ "$("$scan" --version)" = "groundstyles-scan $version" ] || fail "groundstyles-scan --version does not say $version"
write_maps "$scratch/maps"
mkdir "$scratch/report"
"$scan" "${scan_options[@]}" -o "$scratch/report" "$scratch/maps"
cmp "$scratch/report/GroundStyles.txt" <(expected_report "$scratch/maps") ||
  fail "groundstyles-scan's report is not the window's"
# Its manual page shows without a warning and gives every option the help
# lists and every exit status.
show_manual() { LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$unpacked/usr/share/man/man1/groundstyles-scan.1.gz"; }
manual=$(show_manual 2> /dev/null) || fail "man cannot show groundstyles-scan's manual page"
warnings=$(show_manual 2>&1 > /dev/null)
[ -z "$warnings" ] || fail "man warns of groundstyles-scan's manual page: $warnings"
for option in $("$scan" --help | grep -oE -- '--[a-z-]+' | sort -u); do
  grep -q -- "^ *\(-., \)\?$option\b" <<< "$manual" || fail "the manual page does not give $option"
done
for status in 0 1 2 3; do
  sed -n '/^EXIT STATUS/,/^[A-Z]/p' <<< "$manual" | grep -q "^ \+$status \+[A-Z]" ||
    fail "the manual page does not give exit status $status"
done
# Bash's completion, loaded by the command's name, completes it.
[ "$(bash -c 'source "$1" && complete -p groundstyles-scan' completion \
  "$unpacked/usr/share/bash-completion/completions/groundstyles-scan")" = \
  "complete -F _groundstyles_scan groundstyles-scan" ] || fail "the bash completion does not complete groundstyles-scan"
echo "groundstyles-scan: version $version, the window's report, its manual page and bash completion"

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
check_program "$scratch/zip/$windows_name/groundstyles-scan.exe" "the zip's groundstyles-scan.exe"

echo "== ${setup#"$PWD"/}, installed and removed under wine"
# The license page shows LICENSE, not CPack's placeholder.
installer_holds "$setup" LICENSE || fail "the installer's license page does not show LICENSE"
entries_before=$(desktop_entries)
wine_prefix
ensure_display  # the installed program is started from its shortcut
ensure_window_manager
wineserver -w
[ "$(wine "$scratch/zip/$windows_name/groundstyles-scan.exe" --version 2> /dev/null | tr -d '\r')" = \
  "groundstyles-scan $version" ] || fail "the zip's groundstyles-scan.exe does not run under wine"
# The installer's places start empty: a failed earlier run may have left something.
places=$(installer_places)
[ -z "$places" ] || fail "before the install, the wine prefix already holds what the installer writes;" \
  "remove $(wine_prefix_folder) to start afresh:"$'\n'"$places"
before=$(wine_state)
wine_path() { winepath -u "$1" 2> /dev/null; }
installed=$(wine_path "C:\\Program Files\\$install_folder")
menu_shortcut="C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$menu_folder\\$name.lnk"
shortcut=$(wine_path "$menu_shortcut")
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$registry_key"
registry() { wine reg query "$uninstall_key" /v "$1" 2> /dev/null | sed -n "s/^ *$1 *REG_SZ *//p" | tr -d '\r'; }

# Should a check below fail, the program is removed all the same, so that the
# next run finds the installer's places empty.
remove_installed() {
  if [ -e "$installed/Uninstall.exe" ]; then
    wine "C:\\Program Files\\$install_folder\\Uninstall.exe" /S 2> /dev/null || true
    wineserver -w || true
  fi
}
on_exit+=(remove_installed)
wine "$setup" /S 2> /dev/null
wineserver -w
[ -f "$installed/groundstyles.exe" ] || fail "the installer did not install groundstyles.exe"
check_program "$installed/groundstyles.exe" "the installed program"
[ -f "$installed/groundstyles-scan.exe" ] || fail "the installer did not install groundstyles-scan.exe"
check_program "$installed/groundstyles-scan.exe" "the installed groundstyles-scan.exe"
[ "$(wine_state | grep '^\[HK.*\\Environment\] ')" = "$(grep '^\[HK.*\\Environment\] ' <<< "$before")" ] ||
  fail "a silent install without /ADDTOPATH changed PATH"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
strings "$shortcut" | grep -qxF "C:\\Program Files\\$install_folder\\groundstyles.exe" ||
  fail "the shortcut does not start the installed program"
[ "$(registry DisplayName)" = "$name" ] || fail "no uninstall entry named $name"
[ "$(registry DisplayVersion)" = "$version" ] || fail "the uninstall entry does not say version $version"
[ "$(registry DisplayIcon)" = "C:\\Program Files\\$install_folder\\groundstyles.exe" ] ||
  fail "the uninstall entry does not show the program's icon"
added=$(new_desktop_entries)
[ -z "$added" ] || fail "installing added desktop entries: $added"
# What the uninstaller must take away, as wine_state sees it once installed.
installed_state=$(wine_state)
for written in "Program Files/$install_folder/groundstyles.exe" "Program Files/$install_folder/Uninstall.exe" \
               "ProgramData/Microsoft/Windows/Start Menu/Programs/$menu_folder/$name.lnk" \
               "[HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$registry_key]" \
               "[HKLM\\Software\\$vendor\\$registry_key]"; do
  grep -qxF "$written" <<< "$installed_state" || fail "the installer's state, as compared, misses $written"
done
# Started from the shortcut, the program runs in the user's Documents folder.
documents=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v Personal |
  sed -n 's/^ *Personal *REG_SZ *//p' | tr -d '\r')
[ -n "$documents" ] || fail "the system names no Documents folder"
wine start "$menu_shortcut" 2> /dev/null
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

# uninstall: the installed program's silent uninstall, and Windows started
# again, as the uninstaller's own copy goes then.
uninstall() {
  wine "C:\\Program Files\\$install_folder\\Uninstall.exe" /S 2> /dev/null
  wineserver -w
  wineboot --restart 2> /dev/null
  wineserver -w
}

uninstall
[ ! -e "$installed" ] || fail "the uninstaller left $installed"
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"
[ -z "$(registry DisplayName)" ] || fail "the uninstaller left the uninstall entry"
left=$(wine_state)
[ "$left" = "$before" ] || fail "the uninstaller did not leave things as they were:"$'\n'"$(diff <(echo "$before") - <<< "$left")"
added=$(new_desktop_entries)
[ -z "$added" ] || fail "desktop entries were added: $added"
echo "removed: the program, its Start-menu folder and its registry keys, as before the install; no desktop entries"

echo "== ${setup#"$PWD"/} /S /ADDTOPATH: groundstyles-scan from a command prompt"
# environment_value KEY: the Path of the environment's registry key KEY as
# reg shows it: its type, a space, its text; nothing when there is none.
environment_value() {
  { wine reg query "$1" /v Path 2> /dev/null || true; } | tr -d '\r' |
    sed -n 's/^ *[Pp][Aa][Tt][Hh] \+\(REG_[A-Z_]*\) \+/\1 /p'
}
machine_key="HKLM\\$machine_environment"
machine_path=$(environment_value "$machine_key")
user_path=$(environment_value "HKCU\\$user_environment")
[ -n "$machine_path" ] || fail "the machine's environment has no Path"
# Should a check below fail, the machine's Path is put back as it was.
restore_machine_path() {
  [ "$(environment_value "$machine_key")" = "$machine_path" ] ||
    wine reg add "$machine_key" /v Path /t "${machine_path%% *}" /d "${machine_path#* }" /f > /dev/null 2>&1 || true
  wineserver -w || true
}
on_exit+=(restore_machine_path)
wine "$setup" /S /ADDTOPATH 2> /dev/null
wineserver -w
# Installed for all users, the machine's Path ends with the program's folder,
# and the user's is as it was.
entry="C:\\Program Files\\$install_folder"
[ "$(environment_value "$machine_key")" = "$machine_path;$entry" ] ||
  fail "the machine's Path is not its old one and $entry: $(environment_value "$machine_key")"
[ "$(environment_value "HKCU\\$user_environment")" = "$user_path" ] || fail "the install changed the user's Path"
# A command prompt started now finds groundstyles-scan there, and it scans.
wine cmd /c 'echo %PATH%' 2> /dev/null | tr -d '\r' | tr ';' '\n' | grep -qxF "$entry" ||
  fail "a command prompt's PATH does not hold $entry"
[ "$(wine cmd /c groundstyles-scan --version 2> /dev/null | tr -d '\r')" = "groundstyles-scan $version" ] ||
  fail "groundstyles-scan --version does not run from a command prompt"
rm "$scratch/report/GroundStyles.txt"
windows_maps=$(winepath -w "$scratch/maps" 2> /dev/null)
wine cmd /c groundstyles-scan "${scan_options[@]}" -o "$(winepath -w "$scratch/report" 2> /dev/null)" "$windows_maps" \
  2> /dev/null
cmp "$scratch/report/GroundStyles.txt" <(expected_report "$windows_maps") ||
  fail "groundstyles-scan.exe's report is not the window's"
echo "installed with /ADDTOPATH: $entry at the end of the machine's Path; groundstyles-scan runs from cmd and scans"
# Another program adds its folder after this one's; the uninstaller takes
# this one's entry off alone.
wine reg add "$machine_key" /v Path /t "${machine_path%% *}" /d "${machine_path#* };$entry;C:\\Other" /f \
  > /dev/null 2>&1
uninstall
[ "$(environment_value "$machine_key")" = "$machine_path;C:\\Other" ] ||
  fail "the uninstaller did not take exactly $entry off the machine's Path: $(environment_value "$machine_key")"
echo "removed: $entry taken off the machine's Path, the rest of it as it was"
# A Path that holds the folder already keeps it, once, through an install and
# an uninstall; one too long for the installer to change safely is left alone:
# one its strings (of 1,024 characters with their end) hold, but not with the
# folder added, and one they cannot hold.
# long_path LENGTH: the machine's Path with an entry that makes it LENGTH long.
long_path() {
  local path="${machine_path#* };C:\\"
  printf '%s%s' "$path" "$(printf 'x%.0s' $(seq $(($1 - ${#path}))))"
}
for prepared in "${machine_path#* };$entry\\" "$(long_path 1010)" "$(long_path 1100)"; do
  wine reg add "$machine_key" /v Path /t "${machine_path%% *}" /d "$prepared" /f > /dev/null 2>&1
  wine "$setup" /S /ADDTOPATH 2> /dev/null
  wineserver -w
  [ -f "$installed/groundstyles-scan.exe" ] || fail "the installer did not install groundstyles-scan.exe"
  [ "$(environment_value "$machine_key")" = "${machine_path%% *} $prepared" ] ||
    fail "the install changed a Path it should have left: $(environment_value "$machine_key")"
  uninstall
  [ "$(environment_value "$machine_key")" = "${machine_path%% *} $prepared" ] ||
    fail "the uninstaller changed a Path the installer left: $(environment_value "$machine_key")"
done
restore_machine_path
left=$(wine_state)
[ "$left" = "$before" ] || fail "the uninstaller did not leave things as they were:"$'\n'"$(diff <(echo "$before") - <<< "$left")"
echo "left alone: a Path that held $entry\\ already, and one too long to change; all else as before the install"

echo "package.sh: built and checked in ${out#"$PWD"/}:"
ls -l "$out"
