# bash completion for tarn: the subcommands, then the options of the
# subcommand typed, both as tarn's own parsers know them (tarn --complete
# lists them from the parsers' option tables), else file names.
_tarn() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local words
  if [[ $COMP_CWORD -eq 1 ]]; then
    words=$(tarn --complete 2>/dev/null)
  elif [[ $cur == -* || ${COMP_WORDS[1]} == help ]]; then
    words=$(tarn --complete "${COMP_WORDS[1]}" 2>/dev/null)
  else
    COMPREPLY=($(compgen -f -- "$cur"))
    return
  fi
  COMPREPLY=($(compgen -W "$words" -- "$cur"))
}
complete -o filenames -F _tarn tarn
