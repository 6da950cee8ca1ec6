#!/usr/bin/python3
"""The corvane Python package against what Python users reach a domain with
today, on the same throwaway controller: ldap3 (paged search, over LDAPS:
the controller refuses a simple bind in the clear) and Samba's own
samba.samdb.SamDB over LDAP (signed and sealed).

Each tool runs in a worker process of its own (Samba's Python bindings and
corvane's Samba module never share a process), its modules imported (and
so its libraries loaded) before anything is timed. The tools take turns in
every run (paired runs); the table gives each tool's median and the median
of the paired ratios (corvane's time over the other's; below 1 is faster),
and the goal against the faster of the two.

What each measure holds, the same for every tool, timed in the worker:

- "whole task" rows (the goals): what a script does, from making the
  connection (corvane.connect and its first call to the controller, which
  sets up the RPC channel and authenticates; ldap3's bind over TLS;
  SamDB's LDAP connection and bind) through the task's calls to the end of
  the connection (corvane's close, ldap3's unbind, SamDB's object
  released). corvane's first run also loads the Samba module (SamDB's
  libraries are loaded at import, before the timing); the median leaves
  that run out.
- "on an open connection" rows: the task's calls alone. The connection is
  made, and one user's facts read (Administrator's, so that each tool has
  authenticated and opened what its reads need), before the timer starts,
  and it is closed after it stops.

Then what `import corvane` adds to the interpreter's start (paired runs of
`python3 -c pass` and `python3 -c "import corvane"`, the package
byte-compiled first as its Debian package is on installation), and the
peak memory of a listing of 40,000 users against 1,000. Accounts are
bulk-loaded into the controller's directory (tests/dc/bulk-accounts.py).
Run as root.

  bench/python_compare.py [PACKAGE_DIR] [RUNS]

PACKAGE_DIR holds the corvane package (default build/release/python).
BENCH_USERS (default 5000) is the listing's size, BENCH_CREATE (default
200) the users each creation run makes (0 skips it), BENCH_MEMORY=0 skips
the 40,000."""

import compileall
import json
import os
import pathlib
import re
import statistics
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[1]
ENV = os.environ
USER_FILTER = "(sAMAccountType=805306368)"  # normal user accounts
FACT_ATTRIBUTES = ["sAMAccountName", "displayName", "description",
                   "homeDirectory", "scriptPath", "userAccountControl",
                   "lastLogon", "pwdLastSet", "accountExpires", "badPwdCount",
                   "primaryGroupID", "objectSid",
                   "msDS-User-Account-Control-Computed"]


def admin_password():
    text = pathlib.Path(ENV["CORVANE_DC_AUTH_FILE"]).read_text()
    return re.search(r"^password *= *(.*)$", text, re.M).group(1)


def base_dn():
    return ",".join("DC=" + part
                    for part in ENV["CORVANE_DC_REALM"].lower().split("."))


# -- the workers: one task each, timed where it runs ------------------------
class CorvaneTool:
    def __init__(self):
        import corvane
        self.corvane = corvane

    def connect(self):
        return self.corvane.connect(
            ENV["CORVANE_DC_HOST"], domain=ENV["CORVANE_DC_DOMAIN"],
            realm=ENV["CORVANE_DC_REALM"],
            auth_file=ENV["CORVANE_DC_AUTH_FILE"])

    def listing(self):
        with self.connect() as conn:
            return sum(1 for _ in conn.users())

    def facts(self, name):
        with self.connect() as conn:
            return conn.user(name).primary_group

    def listing_open(self):
        with self.connect() as conn:
            conn.user("Administrator")
            return timed(lambda: sum(1 for _ in conn.users()))

    def facts_open(self, name):
        with self.connect() as conn:
            conn.user("Administrator")
            return timed(lambda: conn.user(name).primary_group)

    def create(self, prefix, count):
        with self.connect() as conn:
            for n in range(count):
                conn.create_user("%s%04d" % (prefix, n),
                                 "Cv-%s%04d-Pw1!" % (prefix, n))
        return count


class Ldap3Tool:
    def __init__(self):
        import ssl

        import ldap3
        self.ldap3 = ldap3
        self.server = ldap3.Server(
            ENV["CORVANE_DC_HOST"], port=636, use_ssl=True,
            tls=ldap3.Tls(validate=ssl.CERT_NONE))

    def connect(self):
        conn = self.ldap3.Connection(
            self.server, user="Administrator@" + ENV["CORVANE_DC_REALM"],
            password=admin_password(), raise_exceptions=True)
        conn.bind()
        return conn

    def listing(self):
        conn = self.connect()
        try:
            return self.list_on(conn)
        finally:
            conn.unbind()

    def list_on(self, conn):
        return sum(1 for entry in conn.extend.standard.paged_search(
            base_dn(), USER_FILTER, attributes=["sAMAccountName"],
            paged_size=1000, generator=True)
            if entry["type"] == "searchResEntry")

    def facts_on(self, conn, name):
        conn.search(base_dn(), "(sAMAccountName=%s)" % name,
                    attributes=FACT_ATTRIBUTES)
        user = conn.entries[0]
        sid = str(user.objectSid.value)
        group_sid = "%s-%d" % (sid.rsplit("-", 1)[0],
                               user.primaryGroupID.value)
        conn.search(base_dn(), "(objectSid=%s)" % group_sid,
                    attributes=["sAMAccountName"])
        return str(conn.entries[0].sAMAccountName)

    def facts(self, name):
        conn = self.connect()
        try:
            return self.facts_on(conn, name)
        finally:
            conn.unbind()

    def listing_open(self):
        conn = self.connect()
        try:
            self.facts_on(conn, "Administrator")
            return timed(lambda: self.list_on(conn))
        finally:
            conn.unbind()

    def facts_open(self, name):
        conn = self.connect()
        try:
            self.facts_on(conn, "Administrator")
            return timed(lambda: self.facts_on(conn, name))
        finally:
            conn.unbind()

    def create(self, prefix, count):
        conn = self.connect()
        try:
            for n in range(count):
                name = "%s%04d" % (prefix, n)
                password = '"Cv-%s%04d-Pw1!"' % (prefix, n)
                conn.add("CN=%s,CN=Users,%s" % (name, base_dn()), "user", {
                    "sAMAccountName": name,
                    "unicodePwd": password.encode("utf-16-le"),
                    "userAccountControl": 512})
            return count
        finally:
            conn.unbind()


class SamdbTool:
    def __init__(self):
        import ldb
        from samba.credentials import Credentials
        from samba.dcerpc.security import dom_sid
        from samba.ndr import ndr_unpack
        from samba.param import LoadParm
        from samba.samdb import SamDB
        self.ldb, self.Credentials, self.SamDB = ldb, Credentials, SamDB
        self.dom_sid, self.ndr_unpack = dom_sid, ndr_unpack
        self.lp = LoadParm()
        self.lp.load(ENV["CORVANE_DC_CLIENT_CONF"])

    def connect(self):
        credentials = self.Credentials()
        credentials.guess(self.lp)
        credentials.set_username("Administrator")
        credentials.set_password(admin_password())
        credentials.set_domain(ENV["CORVANE_DC_DOMAIN"])
        return self.SamDB(url="ldap://" + ENV["CORVANE_DC_HOST"],
                          credentials=credentials, lp=self.lp)

    def list_on(self, samdb):
        found = samdb.search(samdb.domain_dn(), scope=self.ldb.SCOPE_SUBTREE,
                             expression=USER_FILTER, attrs=["sAMAccountName"])
        return sum(1 for _ in found)

    def facts_on(self, samdb, name):
        user = samdb.search(samdb.domain_dn(), scope=self.ldb.SCOPE_SUBTREE,
                            expression="(sAMAccountName=%s)" % name,
                            attrs=FACT_ATTRIBUTES)[0]
        sid = str(self.ndr_unpack(self.dom_sid, user["objectSid"][0]))
        group_sid = "%s-%s" % (sid.rsplit("-", 1)[0], user["primaryGroupID"][0])
        group = samdb.search(samdb.domain_dn(), scope=self.ldb.SCOPE_SUBTREE,
                             expression="(objectSid=%s)" % group_sid,
                             attrs=["sAMAccountName"])[0]
        return str(group["sAMAccountName"][0])

    def listing(self):
        return self.list_on(self.connect())

    def facts(self, name):
        return self.facts_on(self.connect(), name)

    def listing_open(self):
        samdb = self.connect()
        self.facts_on(samdb, "Administrator")
        return timed(lambda: self.list_on(samdb))

    def facts_open(self, name):
        samdb = self.connect()
        self.facts_on(samdb, "Administrator")
        return timed(lambda: self.facts_on(samdb, name))

    def create(self, prefix, count):
        samdb = self.connect()
        for n in range(count):
            samdb.newuser("%s%04d" % (prefix, n), "Cv-%s%04d-Pw1!" % (prefix, n))
        return count


TOOLS = {"corvane": CorvaneTool, "ldap3": Ldap3Tool, "samdb": SamdbTool}


class Timed:
    """A task's result with the time of its part that was timed alone."""

    def __init__(self, result, ms):
        self.result, self.ms = result, ms


def timed(call):
    start = time.perf_counter()
    result = call()
    return Timed(result, (time.perf_counter() - start) * 1000)


def worker(name):
    """Answers one JSON request a line: a task, its time and its result.
    The time is the whole task's, or the part it timed alone (Timed)."""
    tool = TOOLS[name]()
    for line in sys.stdin:
        request = json.loads(line)
        start = time.perf_counter()
        result = getattr(tool, request["task"])(*request["args"])
        elapsed = (time.perf_counter() - start) * 1000
        if isinstance(result, Timed):
            result, elapsed = result.result, result.ms
        print(json.dumps({"ms": elapsed, "result": result}), flush=True)


class Worker:
    def __init__(self, name, package):
        self.name = name
        self.process = subprocess.Popen(
            [sys.executable, __file__, "--worker", name],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
            env=dict(ENV, PYTHONPATH=package))

    def run(self, task, *args):
        self.process.stdin.write(json.dumps({"task": task,
                                             "args": args}) + "\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline()
        if not answer:
            sys.exit("%s: the worker failed at %s" % (self.name, task))
        answer = json.loads(answer)
        return answer["ms"], answer["result"]

    def close(self):
        self.process.stdin.close()
        self.process.wait()


# -- the measures ------------------------------------------------------------
def row(label, values):
    print("%-42s" % label + "".join("%14s" % v for v in values), flush=True)


def compare(label, goal, workers, runs, task, args_of_run, check):
    times = {w.name: [] for w in workers}
    for run in range(runs):
        # Each run in another order, so that no tool always goes first.
        turn = workers[run % len(workers):] + workers[:run % len(workers)]
        for w in turn:
            ms, result = w.run(task, *args_of_run(w.name, run))
            check(w.name, result)
            times[w.name].append(ms)
    medians = {name: statistics.median(t) for name, t in times.items()}
    ratios = {name: statistics.median(
        c / o for c, o in zip(times["corvane"], t))
        for name, t in times.items() if name != "corvane"}
    faster = min(ratios, key=lambda name: medians[name])
    if goal is None:
        verdict = "%.2fx" % ratios[faster]
    else:
        verdict = "%.2fx %s" % (ratios[faster], "ok" if ratios[faster] <= goal
                                else "> %.1f" % goal)
    row(label, ["%.0f ms" % medians["corvane"]]
        + ["%.0f ms" % medians[n] for n in ratios]
        + ["%.2fx" % ratios[n] for n in ratios] + [verdict])


def bulk_load(users):
    subprocess.run([sys.executable, str(ROOT / "tests/dc/bulk-accounts.py"),
                    ENV["CORVANE_DC_SMB_CONF"], "bench", str(users)],
                   check=True, stdout=subprocess.DEVNULL)


def peak_kib(command, env):
    """The peak resident set of one process run, in KiB."""
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL)
    _pid, status, usage = os.wait4(process.pid, 0)
    if status != 0:
        sys.exit("%s failed" % command)
    return usage.ru_maxrss


def import_cost(package, runs):
    env = dict(ENV, PYTHONPATH=package)
    bare = [sys.executable, "-c", "pass"]
    with_import = [sys.executable, "-c", "import corvane"]
    # Byte-compiled as the installed package is (PYTHONDONTWRITEBYTECODE
    # would otherwise have every run compile it from source).
    compileall.compile_dir(os.path.join(package, "corvane"), quiet=1)
    subprocess.run(with_import, env=env, check=True)
    added = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(bare, env=env, check=True)
        middle = time.perf_counter()
        subprocess.run(with_import, env=env, check=True)
        end = time.perf_counter()
        added.append(((end - middle) - (middle - start)) * 1000)
    return statistics.median(added)


def main():
    args = sys.argv[1:]
    if args[:1] == ["--worker"]:
        worker(args[1])
        return
    package = os.path.abspath(args[0] if args
                              else ROOT / "build/release/python")
    runs = int(args[1]) if len(args) > 1 else 11
    if "CORVANE_DC_HOST" not in ENV:
        with_dc = str(ROOT / "tests/dc/with-dc.sh")
        os.execv(with_dc, [with_dc, sys.executable, __file__, package,
                           str(runs)])
    users = int(ENV.get("BENCH_USERS", "5000"))
    create = int(ENV.get("BENCH_CREATE", "200"))

    print("load average before: %s" % " ".join(
        open("/proc/loadavg").read().split()[:3]))
    row("measure (median of paired runs)", ["corvane", "ldap3", "samdb",
                                            "vs ldap3", "vs samdb",
                                            "vs faster"])
    memory = ENV.get("BENCH_MEMORY", "1") != "0"
    lister = [sys.executable, __file__, "--list-once"]
    if memory:
        bulk_load(1000)
        small = peak_kib(lister, dict(ENV, PYTHONPATH=package))
    bulk_load(users)
    workers = [Worker(name, package) for name in TOOLS]
    counts = {}

    def same_count(name, count):
        counts.setdefault("first", count)
        if count != counts["first"] or count < users:
            sys.exit("%s listed %d users, another %d" % (name, count,
                                                         counts["first"]))
    compare("list every user's name, %d users" % users, 0.5, workers, runs,
            "listing", lambda name, run: (), same_count)
    compare("  the same, on an open connection", None, workers, runs,
            "listing_open", lambda name, run: (), same_count)

    def domain_users(name, group):
        if group != "Domain Users":
            sys.exit("%s named the primary group %r" % (name, group))
    compare("one user's facts and primary group", 0.5, workers, runs + 4,
            "facts", lambda name, run: ("bench00042",), domain_users)
    compare("  the same, on an open connection", None, workers, runs + 4,
            "facts_open", lambda name, run: ("bench00042",), domain_users)

    def made(name, count):
        if count != create:
            sys.exit("%s made %d users" % (name, count))
    if create:
        compare("create %d users with a password each" % create, None,
                workers, 3, "create",
                lambda name, run: ("%s%d" % (name[:2], run), create), made)
    for w in workers:
        w.close()

    added = import_cost(package, 21)
    row("import corvane, added to python3 -c pass",
        ["%.1f ms" % added, "", "", "", "",
         "%s" % ("ok" if added <= 30 else "> 30 ms")])

    print("load average after: %s" % " ".join(
        open("/proc/loadavg").read().split()[:3]))
    if memory:
        bulk_load(40000)
        large = peak_kib(lister, dict(ENV, PYTHONPATH=package))
        print("peak RSS of a listing: %d KiB at 1,000 users, %d KiB at "
              "40,000 (%.1f MiB more; goal <= 5 MiB)"
              % (small, large, (large - small) / 1024))


if __name__ == "__main__":
    if sys.argv[1:2] == ["--list-once"]:
        print(CorvaneTool().listing())
    else:
        main()
