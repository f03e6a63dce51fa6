# bash completion for orncfg-cli: verbs, their sub-commands and their options, all read from the
# program's own help so that they never differ from it.
_orncfg_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  local -a path=()
  local i word
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    [[ $word == -* ]] && break
    path+=("$word")
  done
  case $prev in
    --output|--password-file|--settings-password-file|--product-code-file)
      COMPREPLY=($(compgen -f -- "$cur")); compopt -o filenames 2>/dev/null; return ;;
  esac
  local help
  help=$("${COMP_WORDS[0]}" "${path[@]}" --help 2>/dev/null) || return
  if [[ $help == *"Befehle:"* && $cur != -* ]]; then
    COMPREPLY=($(compgen -W "$(sed -n '/^Befehle:/,/^$/{s/^  \([a-z-]*\) .*/\1/p}' <<<"$help")" -- "$cur"))
    return
  fi
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$(grep -o -- '--[a-z-]*' <<<"$help" | sort -u) --help --quiet" -- "$cur"))
    return
  fi
  COMPREPLY=($(compgen -f -- "$cur")); compopt -o filenames 2>/dev/null
}
complete -F _orncfg_cli orncfg-cli
