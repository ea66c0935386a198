# Bash completion for finderix. The options come from `finderix --help` and
# the setting names from `finderix --list-settings`, asked of the program
# being completed, so both stay true to the program installed.

_finderix_options() {
  "$1" --help 2>/dev/null | sed -nE 's/^ +(-[^ ,=]+)(, (-[^ ,=]+))?.*/\1 \3/p'
}

_finderix() {
  local program=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]} prev=
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  # "--set=NAME": bash splits the word at "=", so the option is one further back.
  if [[ $prev == = ]] && ((COMP_CWORD > 1)); then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  fi
  COMPREPLY=()
  case $prev in
    -C)
      mapfile -t COMPREPLY < <(compgen -d -- "$cur")
      return ;;
    -e | --registry | --select)
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return ;;
    --scope)
      mapfile -t COMPREPLY < <(compgen -W "tree folder selected root local all" -- "$cur")
      return ;;
    --set)
      mapfile -t COMPREPLY < <(compgen -S = -W "$("$program" --list-settings 2>/dev/null)" -- "$cur")
      compopt -o nospace 2>/dev/null
      return ;;
  esac
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(_finderix_options "$program")" -- "$cur")
  fi
}

complete -F _finderix finderix
