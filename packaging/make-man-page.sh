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
[EXAMPLES]
Try it on the simulated demo domain, kept in demo.json:
.PP
.nf
corvane \-\-simulate demo.json \-W CORVANE user list
.fi
.PP
Show an account on a real domain, the password asked for:
.PP
.nf
corvane \-S dc1.example.com \-W EXAMPLE \-U admin user show alice
.fi
.PP
Check a bulk import without changing anything, then run it:
.PP
.nf
corvane \-S dc1.example.com \-W EXAMPLE \-A admin.auth user import \-\-dry\-run users.csv
corvane \-S dc1.example.com \-W EXAMPLE \-A admin.auth user import users.csv
.fi
[ENVIRONMENT]
.TP
\fBCORVANE_DOMAIN\fR, \fBCORVANE_SERVER\fR
The defaults of \fB\-\-domain\fR and \fB\-\-server\fR.
.TP
\fBCORVANE_SIMULATE\fR
The default of \fB\-\-simulate\fR, unless a server is given.
.TP
\fBCOLUMNS\fR
The width help is fitted to (else the terminal's).
.TP
\fBKRB5CCNAME\fR
The Kerberos credentials cache used without \fB\-U\fR or \fB\-A\fR.
[EXIT STATUS]
.TP
.B 0
The command succeeded (the object's sLastError reads SUCCESS).
.TP
.B 1
It failed: the error is on standard error (in a batch or import, any line
or row that failed).
.TP
.B 2
The command line or its input could not be used; nothing was changed.
[FILES]
.TP
\fIFILE\fR of \fB\-\-simulate\fR
The simulated domain's state (JSON); \fIFILE\fR.lock beside it while a
command changes it.
.TP
\fB\-A\fR \fIFILE\fR
username, password and domain lines, as Samba's tools read them; it should
be readable by you alone.
.TP
/usr/lib/*/corvane/corvane\-samba.so
The Samba backend, loaded only to talk to a controller.
[SEE ALSO]
smb.conf(5), samba\-tool(8).
The full guide, with the state file of \fB\-\-simulate\fR and the member
paths of \fBinvoke\fR: /usr/share/doc/corvane/docs/cli.md.
TEXT
} >"$include"

help2man --no-info --section=1 \
  --name='administer the accounts and groups of NT and Active Directory domains' \
  --include="$include" --output="$output" "$corvane"
