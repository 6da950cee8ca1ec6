"""The package against the throwaway Samba domain controller that
tests/dc/with-dc.sh starts (CORVANE_DC_* in the environment; ctest's
python_dc_session): each way of giving credentials, a listing of thousands,
an import whose passwords then log on, and the pywin32 script of
docs/python.md run unchanged. Skipped without a controller."""

import logging
import os
import pathlib
import re
import subprocess
import sys
import time

import pytest

import corvane

pytestmark = [
    pytest.mark.integration,
    pytest.mark.skipif("CORVANE_DC_HOST" not in os.environ,
                       reason="needs tests/dc/with-dc.sh"),
]

ROOT = pathlib.Path(__file__).resolve().parents[2]
ENV = os.environ
SUFFIX = "%06d" % (time.time_ns() // 1000 % 1000000)


def admin_password():
    text = pathlib.Path(ENV["CORVANE_DC_AUTH_FILE"]).read_text()
    return re.search(r"^password = (.*)$", text, re.M).group(1)


def connect(**credentials):
    if not credentials:
        credentials = {"auth_file": ENV["CORVANE_DC_AUTH_FILE"]}
    return corvane.connect(ENV["CORVANE_DC_HOST"],
                           domain=ENV["CORVANE_DC_DOMAIN"],
                           realm=ENV["CORVANE_DC_REALM"], **credentials)


def logs_on(user, password):
    """Whether the controller accepts the password (an SMB logon; the
    password travels in the environment, never on a command line)."""
    done = subprocess.run(
        ["smbclient", "//%s/IPC$" % ENV["CORVANE_DC_HOST"],
         "-s", ENV["CORVANE_DC_CLIENT_CONF"],
         "-U", "%s\\%s" % (ENV["CORVANE_DC_DOMAIN"], user), "-c", "exit"],
        env=dict(ENV, PASSWD=password), capture_output=True, check=False)
    return done.returncode == 0


def package_env(**extra):
    package = str(pathlib.Path(corvane.__file__).resolve().parents[1])
    return dict(ENV, PYTHONPATH=package, **extra)


ASKED = []


def asked_password(account):
    ASKED.append(account)
    return admin_password()


@pytest.mark.parametrize("credentials, asked", [
    (lambda: {"user": "Administrator",
              "password": bytearray(admin_password(), "utf-8")}, 0),
    (lambda: {"user": "Administrator", "password": asked_password}, 1),
    (lambda: {"auth_file": ENV["CORVANE_DC_AUTH_FILE"]}, 0),
], ids=["user-bytearray", "user-callable", "auth-file"])
def test_credentials(credentials, asked):
    ASKED.clear()
    with connect(**credentials()) as conn:
        assert conn.dc.upper() == "\\\\" + ENV["CORVANE_DC_NAME"].upper()
        assert "Administrator" in conn.users()
    assert len(ASKED) == asked
    assert all(a.endswith("Administrator") for a in ASKED), ASKED


def test_reads_go_to_the_given_controller_without_a_look_up(caplog):
    # The controller's name (Netlogon) is asked for only when wanted.
    # Asserted after the connection is gone: a failure's traceback would
    # keep the process's one Samba session.
    caplog.set_level(logging.DEBUG, logger="corvane")

    def calls():
        return [r.getMessage().split()[1] for r in caplog.records
                if r.getMessage().startswith("netapi: ")]
    with connect() as conn:
        group = conn.user("Administrator").primary_group
        listed = "Administrator" in conn.users()
        disabled = {a.name for a in conn.accounts(disabled=True)}
        reads = calls()
        dc = conn.dc
    del conn
    assert (group, listed) == ("Domain Users", True)
    # Narrowed by the controller, traced as the level 3 listing it is.
    assert "Guest" in disabled and "Administrator" not in disabled
    assert "NetUserGetInfo" in reads and "NetUserEnum" in reads
    assert "NetGetDCName" not in reads
    assert dc.upper() == "\\\\" + ENV["CORVANE_DC_NAME"].upper()
    assert calls().count("NetGetDCName") == 1


def test_a_wrong_password_is_refused():
    # Not pytest.raises: its record of the traceback would keep the
    # connection, and with it the process's one Samba session, until the
    # garbage collector runs.
    status = None
    try:
        with connect(user="Administrator",
                     password=bytearray(b"Wrong-Pw-1!")) as conn:
            list(conn.users())
    except corvane.Error as error:
        status = error.status_name
    assert status in ("ERROR_LOGON_FAILURE", "ERROR_ACCESS_DENIED")


def test_kerberos_ticket(tmp_path):
    # A private krb5.conf names the controller as the realm's KDC; Kerberos
    # names the service by host, resolved from a private hosts table in a
    # mount namespace of its own (no DNS query, the machine's table kept).
    realm = ENV["CORVANE_DC_REALM"]
    host = "%s.%s" % (ENV["CORVANE_DC_NAME"].lower(), realm.lower())
    ccache = tmp_path / "krb5cc"
    conf = tmp_path / "krb5.conf"
    conf.write_text(
        "[libdefaults]\n default_realm = %s\n dns_lookup_realm = false\n"
        " dns_lookup_kdc = false\n rdns = false\n"
        " default_ccache_name = FILE:%s\n"
        "[realms]\n %s = {\n  kdc = %s\n }\n"
        % (realm, ccache, realm, ENV["CORVANE_DC_HOST"]))
    hosts = tmp_path / "hosts"
    hosts.write_text(pathlib.Path("/etc/hosts").read_text()
                     + "%s %s\n" % (ENV["CORVANE_DC_HOST"], host))
    env = package_env(KRB5_CONFIG=str(conf))
    env.pop("KRB5CCNAME", None)
    subprocess.run(["kinit", "Administrator"], input=admin_password() + "\n",
                   env=env, text=True, capture_output=True, check=True)
    script = (
        "import corvane, sys\n"
        "ccache = sys.argv[2] or None\n"
        "with corvane.connect(sys.argv[1], domain=sys.argv[3],"
        " krb5_ccache=ccache, kerberos='required') as conn:\n"
        "    print('Administrator' in conn.users(), conn.dc)\n")
    for given in ("FILE:%s" % ccache, ""):  # named, then the default cache
        done = subprocess.run(
            ["unshare", "--mount", "sh", "-c",
             'mount --bind "$1" /etc/hosts && shift && exec "$@"', "sh",
             str(hosts), sys.executable, "-c", script, host, given,
             ENV["CORVANE_DC_DOMAIN"]],
            env=env, capture_output=True, text=True, check=False)
        assert done.returncode == 0, done.stderr
        found, dc = done.stdout.split()
        assert found == "True"
        assert dc.upper() == "\\\\" + ENV["CORVANE_DC_NAME"].upper()


def test_listing_of_thousands():
    prefix = "pyl%s" % SUFFIX[-3:]
    subprocess.run([sys.executable, str(ROOT / "tests/dc/bulk-accounts.py"),
                    ENV["CORVANE_DC_SMB_CONF"], prefix, "3000"], check=True)
    with connect() as conn:
        names = [n for n in conn.users() if n.startswith(prefix)]
    assert names == ["%s%05d" % (prefix, n) for n in range(1, 3001)]


def test_imported_passwords_log_on():
    given, generated = "pyia" + SUFFIX, "pyib" + SUFFIX
    password = "Imp-%s-Pw1!" % SUFFIX
    kept = {}
    rows = [{"name": given, "full_name": "Given Password",
             "password": password},
            {"name": generated, "full_name": "Generated Password"}]
    with connect() as conn:
        try:
            outcomes = conn.import_users(
                rows, generated_passwords=lambda name, pw: kept.update(
                    {name: pw.decode()}))
            assert [o.status for o in outcomes] == ["ok", "ok"], outcomes
            assert list(kept) == [generated]
            assert conn.user(given).full_name == "Given Password"
            assert logs_on(given, password)
            assert logs_on(generated, kept[generated])
            assert not logs_on(given, kept[generated])
        finally:
            for name in (given, generated):
                try:
                    conn.delete_user(name)
                except corvane.UserNotFound:
                    pass


def test_the_pywin32_script_of_the_documentation(tmp_path):
    doc = (ROOT / "docs/python.md").read_text()
    script = re.search(r"<!-- pywin32 script -->\n```python\n(.*?)^```", doc,
                       re.S | re.M).group(1)
    (tmp_path / "script.py").write_text(script)
    env = package_env(CORVANE_SERVER=ENV["CORVANE_DC_HOST"],
                      CORVANE_DOMAIN=ENV["CORVANE_DC_DOMAIN"],
                      CORVANE_AUTH_FILE=ENV["CORVANE_DC_AUTH_FILE"],
                      CORVANE_REALM=ENV["CORVANE_DC_REALM"])
    env.pop("CORVANE_SIMULATE", None)
    try:
        done = subprocess.run(
            [sys.executable, "-m", "corvane.pywin32", "script.py"],
            cwd=tmp_path, env=env, capture_output=True, text=True,
            check=False)
        assert done.returncode == 0, done.stderr
        lines = done.stdout.splitlines()
        assert lines[0].upper() == "CONTROLLER: \\\\" + ENV[
            "CORVANE_DC_NAME"].upper()
        assert lines[1] == "added: True SUCCESS"
        assert re.fullmatch(r"groups: \[('[^']+', ){2}'[^']+'\]", lines[2])
        assert lines[3] == "refused: 0x80020004 Parameter not found."
    finally:
        with connect() as conn:
            try:
                conn.delete_user("pyuser")
            except corvane.UserNotFound:
                pass
