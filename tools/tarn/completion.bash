# bash completion for tarn: subcommands, then the option words of the
# subcommand, both read from tarn's own help so they follow the usage texts.
_tarn() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  if [[ $COMP_CWORD -eq 1 ]]; then
    local commands
    commands=$(tarn help 2>/dev/null | sed -n 's/^  \([a-z][a-z]*\)  .*/\1/p')
    COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
    return
  fi
  if [[ $cur == -* ]]; then
    local options
    options=$(tarn help "${COMP_WORDS[1]}" 2>/dev/null |
      grep -o -- '\(^\|[ |]\)-[a-zA-Z][a-zA-Z]*\(=[a-z]*\)\?' | tr -d ' |' | sort -u)
    COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
    return
  fi
  COMPREPLY=($(compgen -f -- "$cur"))
}
complete -o filenames -F _tarn tarn
