#!/usr/bin/env bash
# Completes groundstyles-scan's command lines as bash does, with the
# completion sourced: COMP_WORDS and COMP_CWORD set, the completion function
# called, COMPREPLY checked. Bash gives "--terrain=ri" as "--terrain" "=" "ri".
#   scan_completion_test.sh COMPLETION PROGRAM
set -uo pipefail
# shellcheck source=/dev/null
source "$1"
program=$(realpath "$2")
folders=$(mktemp -d)
trap 'rm -rf "$folders"' EXIT
mkdir "$folders/alpha" "$folders/beta" "$folders/My Maps" "$folders/-maps"
touch "$folders/AREA.MAP"
cd "$folders" || exit 1

# The terrain names as -t is offered them, by code: the window's names in
# lower case, a space written as '-'.
names=(clear city airfield forest bocage hill mountain sand swamp ocean river fortification port stream escarpment
  impassable-river rough)
options=(-o --report-folder -t --terrain --list-terrain -r --recursive -k --keep-going -j --jobs -q --quiet --help
  --version)

failures=0
# check WHAT EXPECTED WORD...: completing the command line WORD..., the cursor
# at the end of the last word, offers EXPECTED (lines, in any order).
check() {
  local what=$1 expected=$2 offered
  shift 2
  COMP_WORDS=(groundstyles-scan "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _groundstyles_scan
  offered=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort)
  expected=$(printf '%s\n' "$expected" | LC_ALL=C sort)
  if [ "$offered" != "$expected" ]; then
    printf 'FAILED: %s\n  offered:  %s\n  expected: %s\n' "$what" "$(echo $offered)" "$(echo $expected)"
    failures=$((failures + 1))
  fi
}
lines() { printf '%s\n' "$@"; }
# with_prefix PREFIX WORD...: each WORD after PREFIX.
with_prefix() { printf "$1%s\n" "${@:2}"; }

check "-t offers the 17 names" "$(lines "${names[@]}")" -t ""
check "--terrain= offers them" "$(lines "${names[@]}")" --terrain = ""
check "--terrain = before the cursor" "$(lines "${names[@]}")" --terrain =
check "a name with a space" "impassable-river" -t imp
check "the name after the last comma" "river,impassable-river" -t river,imp
check "any case, '_' and ' ' for '-'" "River,impassable-river" -t "River,Impassable_R"
check "a quoted list" "City,impassable-river" -t "'City, Impassable R"
check "a name not offered twice" "$(with_prefix 'river,hill,' sand swamp stream)" --terrain = "river,hill,s"
check "listed names, spaces about them" "$(with_prefix 'River , ocean,' port)" -t "River , ocean,po"
check "after a comma, all the others" \
  "$(with_prefix 'river,' clear city airfield forest bocage hill mountain sand swamp ocean fortification port \
    stream escarpment impassable-river rough)" -t river,
check "the word whole, where '=' breaks no words" "--terrain=rough" --terrain=rou
check "no name that starts so" "" -t xyz
check "the value of -t is not FOLDER" "$(lines "${names[@]}")" -r -t ""

check "all options" "$(lines "${options[@]}")" -
check "the long options that start so" "$(lines --report-folder --recursive)" --re
check "FOLDER: folders alone" "$(lines alpha beta "My Maps" -maps)" ""
check "FOLDER after options" "$(lines alpha)" -r -k a
check "a folder with an escaped space" "My Maps" "My\ M"
check "a folder in quotes" "My Maps" "'My M"
check "-o: folders and -" "$(lines - alpha beta "My Maps" -maps)" -o ""
check "-o -: standard output, or a folder" "$(lines - -maps)" -o -
check "--report-folder=: folders and -" "$(lines - alpha beta "My Maps" -maps)" --report-folder = ""
check "-o: the folders that start so" "beta" -o b
check "a folder after --" "-maps" -r -- -
check "nothing for --jobs" "" --jobs = ""
check "nothing for -j" "" -j ""

# The completion keeps up with the program: its terrain names, folded, and
# the options its help lists.
listed=()
while read -r code name; do
  folded=${name,,}
  listed+=("${folded// /-}")
done < <("$program" --list-terrain)
[ "${listed[*]}" = "${names[*]}" ] || {
  echo "FAILED: --list-terrain names other terrain: ${listed[*]}"
  failures=$((failures + 1))
}
helped=$("$program" --help | grep -oE '^ +(-[a-z], )?--[a-z-]+' | grep -oE -- '--?[a-z-]+' | LC_ALL=C sort)
[ "$helped" = "$(lines "${options[@]}" | LC_ALL=C sort)" ] || {
  echo "FAILED: the help lists other options: $(echo $helped)"
  failures=$((failures + 1))
}

[ "$failures" -eq 0 ] || exit 1
echo "every completion as expected"
