#!/usr/bin/env bash
# The generated bash completion, driven as bash drives it: COMP_WORDS and
# COMP_CWORD set for a command line, then the completion function called.
#
#   completion_test.sh COMPLETION_FILE
set -euo pipefail
# shellcheck source=/dev/null
source "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
: >trail.log
failures=0

# expect "WORDS..." "EXPECTED" : completes the last word of WORDS (use '' for
# an empty last word); EXPECTED is the candidates, sorted, space-separated,
# or a pattern when it starts with ~.
expect() {
  local -a COMP_WORDS
  read -ra COMP_WORDS <<<"$1"
  [[ $1 == *' ' ]] && COMP_WORDS+=("")
  local COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMPREPLY=()
  _corvane
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' ')
  if [[ $2 == '~'* ]]; then
    [[ " $got " == ${2#\~} ]] && return
  elif [[ $got == "$2" ]]; then
    return
  fi
  echo "FAIL: '$1' completed to '$got', expected '$2'" >&2
  failures=$((failures + 1))
}

expect 'corvane gr' 'group'
expect 'corvane group add' 'add add-member'
expect 'corvane user ' 'add delete disable enable export groups import list password rename set show sid unlock'
# An option's value is not taken for a command.
expect 'corvane --simulate user us' 'user'
expect 'corvane -W group gr' 'group'
# Fixed choices and file names as option values.
expect 'corvane --log-level ' 'adddel full none'
expect 'corvane user add dana --privilege a' 'admin'
expect 'corvane --audit tr' 'trail.log'
# A command's own options and those of the commands above it, no other's.
expect 'corvane user add dana --' '~* --disabled * --full-name * --log-level * --simulate *'
expect 'corvane group add Sales --full' ''
expect 'corvane --privilege ' 'batch dc group help invoke user'
expect 'corvane batch cmds.txt --pass' '--passwords-from'
# File names where a command or option takes a file; a user name is typed.
for words in 'corvane user import tr' 'corvane user export tr' \
    'corvane batch tr' 'corvane invoke -f tr' 'corvane -A tr' \
    'corvane -s tr' 'corvane --simulate tr' \
    'corvane batch x --passwords-from tr'; do
  expect "$words" 'trail.log'
done
expect 'corvane -U tr' ''
expect 'corvane user show tr' ''
((failures == 0))
