# bash completion for groundstyles-scan: its options; after -t and
# --terrain, the terrain names, the one after the last comma of a list;
# folders for FOLDER and after -o and --report-folder, which also takes "-"
# (standard output). It needs nothing but bash.

# The terrain names as -t takes them: in lower case, a space written as '-'.
_groundstyles_scan_terrain=(clear city airfield forest bocage hill mountain sand swamp ocean river fortification port
  stream escarpment impassable-river rough)

# _groundstyles_scan_fold TEXT: TEXT as the names above are written: lower
# case, '_' and ' ' as '-', without surrounding spaces.
_groundstyles_scan_fold() {
  local text=$1
  text=${text#"${text%%[![:space:]]*}"}
  text=${text%"${text##*[![:space:]]}"}
  text=${text,,}
  printf '%s' "${text//[_[:space:]]/-}"
}

# _groundstyles_scan_names PREFIX LIST: the names that complete LIST's last
# entry, each in the whole word: PREFIX, LIST up to its last comma, the name.
# Names LIST already holds are not offered again.
_groundstyles_scan_names() {
  local list=$2 listed= entries=() entry name typed given=,
  # Bash keeps a leading quote out of the text it replaces.
  if [[ $list == [\'\"]* ]]; then list=${list:1}; fi
  if [[ $list == *,* ]]; then listed=${list%,*},; fi
  IFS=, read -r -a entries <<< "${listed%,}"
  for entry in "${entries[@]}"; do given+=$(_groundstyles_scan_fold "$entry"),; done
  typed=$(_groundstyles_scan_fold "${list##*,}")
  for name in "${_groundstyles_scan_terrain[@]}"; do
    if [[ $name == "$typed"* && $given != *,"$name",* ]]; then COMPREPLY+=("$1$listed$name"); fi
  done
  # The user may go on with a comma.
  compopt -o nospace 2> /dev/null
}

# _groundstyles_scan_folders WORD [-]: the folders WORD names the start of,
# and "-" too when asked and WORD may start it. WORD is taken as bash reads
# it: a leading quote opens a quoted word, a backslash escapes a character.
_groundstyles_scan_folders() {
  local word=$1 plain= i
  if [[ $word == [\'\"]* ]]; then
    plain=${word:1}
  else
    for ((i = 0; i < ${#word}; i++)); do
      if [[ ${word:i:1} == \\ ]]; then i=$((i + 1)); fi
      plain+=${word:i:1}
    done
  fi
  mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -d -- "$plain")
  if [[ ${2-} == - && ( -z $word || $word == - ) ]]; then COMPREPLY+=(-); fi
  # Bash quotes what it inserts, and ends a folder with '/'.
  compopt -o filenames 2> /dev/null
}

_groundstyles_scan() {
  COMPREPLY=()
  local cur=${COMP_WORDS[COMP_CWORD]} prev= option= prefix= i
  if ((COMP_CWORD > 0)); then prev=${COMP_WORDS[COMP_CWORD - 1]}; fi
  # "--terrain=riv" comes as "--terrain" "=" "riv" where '=' breaks words,
  # and whole where it does not.
  if [[ $cur == = ]]; then
    option=$prev
    cur=
  elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
    option=${COMP_WORDS[COMP_CWORD - 2]}
  elif [[ $cur == --*=* ]]; then
    option=${cur%%=*}
    prefix=${cur%%=*}=
    cur=${cur#*=}
  else
    option=$prev
  fi
  # After "--" every word is a folder.
  for ((i = 1; i < COMP_CWORD; i++)); do
    if [[ ${COMP_WORDS[i]} == -- ]]; then
      _groundstyles_scan_folders "$cur"
      return 0
    fi
  done

  case $option in
    -t | --terrain)
      _groundstyles_scan_names "$prefix" "$cur"
      return 0
      ;;
    -o | --report-folder)
      if [[ -n $prefix ]]; then
        # The folder follows "--report-folder=" in the same word: bash cannot quote it.
        mapfile -t COMPREPLY < <(compgen -P "$prefix" -d -- "$cur")
        if [[ -z $cur ]]; then COMPREPLY+=("$prefix-"); fi
      else
        _groundstyles_scan_folders "$cur" -
      fi
      return 0
      ;;
    -j | --jobs)
      return 0
      ;;
  esac
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "-o --report-folder -t --terrain --list-terrain -r --recursive -k --keep-going
      -j --jobs -q --quiet --help --version" -- "$cur")
    return 0
  fi
  _groundstyles_scan_folders "$cur"
}

complete -F _groundstyles_scan groundstyles-scan
