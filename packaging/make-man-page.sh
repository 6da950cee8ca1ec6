#!/usr/bin/env bash
# Writes the man page corvane(1) from the command itself, so that it never
# drifts from the parser: help2man reads `corvane --help` and `--version`,
# and the COMMANDS section is made from `corvane --command-tree`.
#
#   make-man-page.sh CORVANE OUTPUT
set -euo pipefail

if (($# != 2)); then
  echo "usage: $0 CORVANE OUTPUT" >&2
  exit 2
fi
corvane=$1
output=$2
include=$(mktemp)
trap 'rm -f "$include"' EXIT

tree=$("$corvane" --command-tree)
{
  echo '[COMMANDS]'
  echo 'Every command also takes \fB\-h\fR, \fB\-\-help\fR, and the options'
  echo 'above may follow it.'
  awk '
    function roff(text) {
      gsub(/\\/, "\\e", text)
      gsub(/-/, "\\-", text)
      sub(/^[.'\'']/, "\\\\&&", text)
      return text
    }
    function rest(first,   i, text) {
      text = $first
      for (i = first + 1; i <= NF; i++) text = text " " $i
      return text
    }
    $1 == "command" {
      order[++count] = $2
      about[$2] = rest(3)
      parent = $2
      sub(/\.[^.]*$/, "", parent)
      has_children[parent] = 1
    }
    $1 == "footer" { footer[$2] = rest(3) }
    $1 == "argument" { synopsis[$2] = synopsis[$2] " \\fI" roff($3) "\\fR" }
    $1 == "flag" && $3 != "-h,--help" {
      options[$2] = options[$2] ".TP\n\\fB" roff($3) "\\fR\n" roff(rest(4)) "\n"
    }
    $1 == "option" {
      options[$2] = options[$2] ".TP\n\\fB" roff($3) "\\fR \\fI" roff($4) \
                    "\\fR\n" roff(rest(5)) "\n"
    }
    END {
      for (i = 1; i <= count; i++) {
        path = order[i]
        if (path in has_children || path !~ /\./) continue
        title = path
        gsub(/\./, " ", title)
        print ".TP"
        print "\\fB" roff(title) "\\fR" synopsis[path] \
              (path in options ? " [\\fIOPTIONS\\fR]" : "")
        print roff(about[path])
        if (path in footer) print ".sp\n" roff(footer[path])
        if (path in options) printf ".RS\n%s.RE\n", options[path]
      }
    }' <<<"$tree"
  cat <<'TEXT'
[SEE ALSO]
smb.conf(5), samba\-tool(8).
The full guide, with the state file of \fB\-\-simulate\fR and the member
paths of \fBinvoke\fR: /usr/share/doc/corvane/docs/cli.md.
TEXT
} >"$include"

help2man --no-info --section=1 \
  --name='administer the accounts and groups of NT and Active Directory domains' \
  --include="$include" --output="$output" "$corvane"
