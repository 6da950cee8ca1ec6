#!/usr/bin/env bash
# Writes the bash completion of corvane from the command itself
# (`corvane --command-tree`), so that it never drifts from the parser:
# commands, each command's options (a command also takes its parents'), the
# values of options that name a file or offer fixed choices, and the file a
# command takes as its argument. Nothing is offered where no name fits (a
# user name, a value to type).
#
#   make-bash-completion.sh CORVANE OUTPUT
set -euo pipefail

if (($# != 2)); then
  echo "usage: $0 CORVANE OUTPUT" >&2
  exit 2
fi
tree=$("$1" --command-tree)

{
  echo '# bash completion for corvane; generated from `corvane --command-tree`.'
  awk '
    function quoted(text) { gsub(/'\''/, "'\''\\'\'''\''", text); return "'\''" text "'\''" }
    $1 == "command" {
      order[++count] = $2
      parent = $2
      if (sub(/\.[^.]*$/, "", parent)) {
        name = $2
        sub(/.*\./, "", name)
        children[parent] = children[parent] " " name
      }
    }
    $1 == "argument" && $3 == "FILE" { file_argument[$2] = 1 }
    $1 == "flag" || $1 == "option" {
      n = split($3, names, ",")
      for (i = 1; i <= n; i++) {
        options[$2] = options[$2] " " names[i]
        if ($1 == "option") values[$2] = values[$2] "  [" quoted($2 ":" names[i]) "]=" quoted($4) "\n"
      }
    }
    END {
      print "declare -gA _corvane_commands=("
      for (i = 1; i <= count; i++) {
        if (order[i] in children) print "  [" order[i] "]=" quoted(substr(children[order[i]], 2))
      }
      print ")"
      print "declare -gA _corvane_options=("
      for (i = 1; i <= count; i++) {
        if (order[i] in options) print "  [" order[i] "]=" quoted(substr(options[order[i]], 2))
      }
      print ")"
      print "declare -gA _corvane_values=("
      for (i = 1; i <= count; i++) printf "%s", values[order[i]]
      print ")"
      print "declare -gA _corvane_file_argument=("
      for (i = 1; i <= count; i++) {
        if (order[i] in file_argument) print "  [" order[i] "]=1"
      }
      print ")"
    }' <<<"$tree"
  cat <<'SCRIPT'

# The type of the value that option $2 takes at command path $1 (in REPLY);
# fails when the option takes none.
_corvane_value_type() {
  local path=$1
  while true; do
    if [[ ${_corvane_values["$path:$2"]+set} ]]; then
      REPLY=${_corvane_values["$path:$2"]}
      return 0
    fi
    [[ $path == *.* ]] || return 1
    path=${path%.*}
  done
}

_corvane() {
  local cur=${COMP_WORDS[COMP_CWORD]} path=corvane word i
  COMPREPLY=()
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ $word == -* ]]; then
      # An option's value is not a command.
      _corvane_value_type "$path" "$word" && ((i += 1))
    elif [[ " ${_corvane_commands[$path]-} " == *" $word "* ]]; then
      path+=.$word
    fi
  done

  if ((COMP_CWORD > 1)) &&
      _corvane_value_type "$path" "${COMP_WORDS[COMP_CWORD - 1]}"; then
    case $REPLY in
      *FILE* | CCACHE)
        compopt -o filenames 2>/dev/null || true
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        ;;
      *'|'*) mapfile -t COMPREPLY < <(compgen -W "${REPLY//|/ }" -- "$cur") ;;
    esac
    return 0
  fi

  local words=${_corvane_commands[$path]-} prefix=$path
  if [[ $cur != -* && ${_corvane_file_argument[$path]-} ]]; then
    compopt -o filenames 2>/dev/null || true
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    return 0
  fi
  if [[ $cur == -* || -z $words ]]; then
    # Options of the command and of every command above it.
    words=
    while true; do
      words+=" ${_corvane_options[$prefix]-}"
      [[ $prefix == *.* ]] || break
      prefix=${prefix%.*}
    done
  fi
  mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur" | sort -u)
}
complete -F _corvane corvane
SCRIPT
} >"$2"
