# bash completion for tarvelin-admin. The subcommands and options come from
# the program's own --help, so the completion follows the program.
_tarvelin_admin() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local -a path=()
  local i word
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    case $word in
      --install-dir | --registry | --library | --from | --file | --timeout | --filter | -o | --output) ((i++)) ;;
      -*) ;;
      *) path+=("$word") ;;
    esac
  done
  local help
  help=$("${COMP_WORDS[0]}" "${path[@]}" --help 2>/dev/null) || return 0
  local words
  if [[ $cur == -* ]]; then
    words=$(awk '/^Options:/ {on = 1; next} /^[^ ]/ {on = 0} on {
        for (i = 1; i <= NF; i++) if ($i ~ /^-/) { n = split($i, f, ","); for (j = 1; j <= n; j++) if (f[j] ~ /^-/) print f[j] }
      }' <<<"$help")
    words+=" --json --install-dir --help"
  else
    words=$(awk '/^Subcommands:/ {on = 1; next} /^[^ ]/ {on = 0} on && NF {print $1}' <<<"$help")
  fi
  if [[ ${COMP_WORDS[COMP_CWORD - 1]} == --install-dir ]]; then
    COMPREPLY=($(compgen -d -- "$cur"))
    return 0
  fi
  COMPREPLY=($(compgen -W "$words" -- "$cur"))
}
complete -o default -F _tarvelin_admin tarvelin-admin
