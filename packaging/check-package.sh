#!/usr/bin/env bash
# Checks a built corvane Debian package: its control data (dependencies
# derived from the binary), the files it installs, lintian without errors
# or hardening tags, and the binary taken from the package running a
# --simulate session as an unprivileged user, as a user would after
# `apt install ./corvane_*.deb`.
#
#   check-package.sh corvane_VERSION_ARCH.deb
set -euo pipefail

if (($# != 1)); then
  echo "usage: $0 PACKAGE.deb" >&2
  exit 2
fi
package=$1
if [[ $(id -u) -ne 0 ]]; then
  echo "check-package.sh: run as root, to run the packaged command as nobody" >&2
  exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "check-package.sh: FAILED: $*" >&2
  exit 1
}

info=$(dpkg-deb --info "$package")
grep -qx ' Package: corvane' <<<"$info" || fail "package name: $info"
depends=$(grep '^ Depends:' <<<"$info") || fail "no dependencies: $info"
# Samba's LDAP client is loaded by name, unseen by dpkg-shlibdeps.
grep -q samba-dsdb-modules <<<"$depends" ||
  fail "does not depend on samba-dsdb-modules: $depends"

contents=$(dpkg-deb --contents "$package" | awk '{print $NF}')
module=$(grep -m1 '^\./usr/lib/.*corvane/corvane-samba\.so$' <<<"$contents") ||
  fail "the Samba backend module is not in the package"
for file in ./usr/bin/corvane "$module" ./usr/share/man/man1/corvane.1.gz \
    ./usr/share/bash-completion/completions/corvane \
    ./usr/share/doc/corvane/copyright \
    ./usr/share/doc/corvane/changelog.Debian.gz \
    ./usr/share/doc/corvane/README.md ./usr/share/doc/corvane/docs/cli.md; do
  grep -qxF "$file" <<<"$contents" || fail "$file is not in the package"
done

# Informational and pedantic tags shown, so that a binary built without
# Debian's hardening flags is seen.
report=$(lintian --pedantic --display-info --fail-on error "$package" 2>&1) || {
  echo "$report" >&2
  fail "lintian found errors"
}
echo "$report"
! grep -E '^[EWIPX]: .*hardening-' <<<"$report" ||
  fail "built without Debian's hardening flags"

dpkg-deb -x "$package" "$work/root"
# Every library the binary and its Samba module load comes from a package
# it depends on.
for library in $(objdump -p "$work/root/usr/bin/corvane" "$work/root/$module" |
    awk '$1 == "NEEDED" {print $2}' | sort -u); do
  # awk reads to the end: an early exit would fail ldconfig with SIGPIPE.
  path=$(ldconfig -p | awk -v name="$library" '$1 == name && !found {print $NF; found = 1}')
  owner=$(dpkg-query -S "$(realpath "$path")" 2>/dev/null | cut -d: -f1) ||
    owner=$(dpkg-query -S "$path" | cut -d: -f1)
  [[ $depends == *" $owner "* || $depends == *" $owner" || $depends == *" $owner,"* ]] ||
    fail "$library (package $owner) is not among the dependencies: $depends"
done

# The command finds its Samba backend where the package puts it; with it
# loaded, a controller that is not there is what it stops at.
printf 'username = nobody\npassword = none\n' >"$work/nobody.auth"
chmod 600 "$work/nobody.auth"
loaded=$("$work/root/usr/bin/corvane" --server 127.0.0.9 -A "$work/nobody.auth" \
  user list 2>&1) && fail "a controller that is not there answered"
grep -q "ERROR_CONNECTION_REFUSED" <<<"$loaded" ||
  fail "the Samba backend did not load or connect: $loaded"

# The man page documents every command.
man_page=$(zcat "$work/root/usr/share/man/man1/corvane.1.gz")
for command in 'corvane user add' 'corvane group add\\-member' 'corvane invoke'; do
  grep -q "$command" <<<"$man_page" || fail "the man page lacks '$command'"
done
for section in EXAMPLES ENVIRONMENT 'EXIT STATUS' FILES; do
  grep -q "^\.SH \"\?$section" <<<"$man_page" ||
    fail "the man page lacks its $section section"
done

# A session as nobody, with a home of its own and nothing else writable.
home=$work/home
mkdir "$home"
chmod 0755 "$work"
chown nobody "$home"
as_nobody() {
  setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env -i HOME="$home" PATH=/usr/bin:/bin CORVANE_DOMAIN=CORVANE \
    sh -c 'cd "$HOME" && exec "$@"' sh "$work/root/usr/bin/corvane" \
    --simulate demo.json "$@"
}
[[ $(as_nobody user list | paste -sd' ') == 'Administrator Guest alice bob carol' ]] ||
  fail "user list as nobody: $(as_nobody user list 2>&1)"
as_nobody group add Packagers --comment "from the package" >/dev/null
printf 'Pkg-Pass-1\n' | as_nobody user add pat --full-name "Pat Package" >/dev/null
as_nobody group add-member Packagers pat >/dev/null
[[ $(as_nobody group members Packagers) == pat ]] ||
  fail "members as nobody: $(as_nobody group members Packagers 2>&1)"
[[ $(stat -c %U "$home/demo.json") == nobody ]] || fail "state file owner"
echo "check-package.sh: $package passed"
