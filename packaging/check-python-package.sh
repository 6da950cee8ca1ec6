#!/usr/bin/env bash
# Checks a built python3-corvane Debian package with the corvane package of
# the same build: its control data (the matching corvane, the Python it was
# built for, libraries derived from the extension), the files it installs,
# lintian without errors or hardening tags, and then, with both really
# installed by apt as a user would, `import corvane`, a session on the
# simulated controller as an unprivileged user and the Samba module found
# where the corvane package puts it. Both packages are removed at the end.
#
#   check-python-package.sh corvane_VERSION_ARCH.deb python3-corvane_VERSION_ARCH.deb
set -euo pipefail

if (($# != 2)); then
  echo "usage: $0 CORVANE.deb PYTHON3-CORVANE.deb" >&2
  exit 2
fi
main_package=$(realpath "$1")
package=$(realpath "$2")
if [[ $(id -u) -ne 0 ]]; then
  echo "check-python-package.sh: run as root, to install the packages" >&2
  exit 2
fi
fail() {
  echo "check-python-package.sh: FAILED: $*" >&2
  exit 1
}
for name in corvane python3-corvane; do
  if dpkg-query -W -f '${Status}' "$name" 2>/dev/null | grep -q installed; then
    fail "$name is installed already; this check installs and removes it"
  fi
done

info=$(dpkg-deb --info "$package")
grep -qx ' Package: python3-corvane' <<<"$info" || fail "package name: $info"
depends=$(grep '^ Depends:' <<<"$info") || fail "no dependencies: $info"
version=$(dpkg-deb -f "$main_package" Version)
[[ $depends == *" corvane (= $version),"* ]] ||
  fail "does not depend on corvane (= $version): $depends"
python=$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')
[[ $depends == *"python3 (>= $python)"* && $depends == *"python3 (<< "* ]] ||
  fail "does not depend on python3 $python only: $depends"

contents=$(dpkg-deb --contents "$package" | awk '{print $NF}')
site=./usr/lib/python3/dist-packages/corvane
extension=$(grep -m1 "^$site/_corvane\.cpython-${python/./}-.*\.so$" <<<"$contents") ||
  fail "the extension for Python $python is not in the package"
for file in "$site/__init__.py" "$site/__init__.pyi" "$site/_connection.py" \
    "$site/_dispatch.py" "$site/_errors.py" "$site/pywin32.py" \
    "$site/py.typed" ./usr/share/doc/python3-corvane/copyright \
    ./usr/share/doc/python3-corvane/changelog.Debian.gz; do
  grep -qxF "$file" <<<"$contents" || fail "$file is not in the package"
done
# The Samba module is the corvane package's alone.
! grep -q 'corvane-samba\.so$' <<<"$contents" ||
  fail "the Samba module is in python3-corvane too"

# Informational and pedantic tags shown, so that a binary built without
# Debian's hardening flags is seen.
report=$(lintian --pedantic --display-info --fail-on error "$package" 2>&1) || {
  echo "$report" >&2
  fail "lintian found errors"
}
echo "$report"
! grep -E '^[EWIPX]: .*hardening-' <<<"$report" ||
  fail "built without Debian's hardening flags"

work=$(mktemp -d)
cleanup() {
  apt-get -o DPkg::Lock::Timeout=300 purge -y -qq python3-corvane corvane \
    >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# Every library the extension loads comes from a package it depends on.
dpkg-deb -x "$package" "$work/root"
for library in $(objdump -p "$work/root/$extension" |
    awk '$1 == "NEEDED" {print $2}' | sort -u); do
  path=$(ldconfig -p | awk -v name="$library" '$1 == name && !found {print $NF; found = 1}')
  owner=$(dpkg-query -S "$(realpath "$path")" 2>/dev/null | cut -d: -f1) ||
    owner=$(dpkg-query -S "$path" | cut -d: -f1)
  [[ $depends == *" $owner "* || $depends == *" $owner" || $depends == *" $owner,"* ]] ||
    fail "$library (package $owner) is not among the dependencies: $depends"
done

apt-get -o DPkg::Lock::Timeout=300 install -y -qq "$main_package" "$package" \
  >"$work/apt.log" 2>&1 || {
  cat "$work/apt.log" >&2
  fail "apt could not install the two packages"
}
[[ -f /usr/lib/python3/dist-packages/corvane/__pycache__/__init__.cpython-${python/./}.pyc ]] ||
  fail "the modules were not byte-compiled on installation"

# As nobody, with a home of its own and nothing else writable.
home=$work/home
mkdir "$home"
chmod 0755 "$work"
chown nobody "$home"
as_nobody() {
  setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env -i HOME="$home" PATH=/usr/bin:/bin \
    sh -c 'cd "$HOME" && exec "$@"' sh /usr/bin/python3 -c "$@"
}
as_nobody 'import corvane' || fail "import corvane as nobody"
session=$(as_nobody '
import corvane
with corvane.connect(simulate="demo.json", domain="CORVANE") as conn:
    conn.create_user("pyuser", bytearray(b"Py-Pass-1"), full_name="Py User")
with corvane.connect(simulate="demo.json", domain="CORVANE") as conn:
    print(" ".join(conn.users()), conn.user("pyuser").full_name)
' 2>&1) || fail "simulated session as nobody: $session"
[[ $session == 'Administrator Guest alice bob carol pyuser Py User' ]] ||
  fail "simulated session as nobody: $session"
[[ $(stat -c '%U %a' "$home/demo.json") == 'nobody 600' ]] ||
  fail "state file: $(stat -c '%U %a' "$home/demo.json")"

# The Samba module is the one the corvane package installed; with it loaded,
# a controller that is not there is what the connection stops at.
printf 'username = nobody\npassword = none\n' >"$home/nobody.auth"
chown nobody "$home/nobody.auth"
chmod 600 "$home/nobody.auth"
samba=$(as_nobody '
import corvane
print(corvane.samba_module_path())
try:
    with corvane.connect("127.0.0.9", auth_file="nobody.auth") as conn:
        list(conn.users())
except corvane.ControllerUnreachable as error:
    print(error.status_name)
' 2>&1) || fail "Samba module as nobody: $samba"
[[ $samba == $'/usr/lib/corvane/corvane-samba.so\nERROR_CONNECTION_REFUSED' ]] ||
  fail "the Samba module did not load or connect: $samba"
echo "check-python-package.sh: $package passed"
