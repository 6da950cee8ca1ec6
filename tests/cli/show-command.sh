# Sourced by the scripts that show the commands they run.
# show_command [--input TEXT] WORD...: prints "$ WORD..." as one shell line
# that can be copied and run as it is: words quoted where the shell needs
# it, and standard input given as TEXT shown as a pipe from printf.
show_command() {
  local line='$' word
  if [[ $1 == --input ]]; then
    line+=" printf '%s\\n' $(_show_word "$2") |"
    shift 2
  fi
  for word in "$@"; do
    line+=" $(_show_word "$word")"
  done
  printf '%s\n' "$line"
}

_show_word() {
  if [[ $1 =~ ^[A-Za-z0-9_./:=@%+,-]+$ ]]; then
    printf '%s' "$1"
  else
    printf '%s' "${1@Q}"
  fi
}
