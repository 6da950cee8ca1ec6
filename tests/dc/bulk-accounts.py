#!/usr/bin/python3
"""Adds many accounts straight to a test controller's directory, a
thousand to a transaction (one huge transaction slows every write): users (no password; enabled as normal accounts) and global
groups, each group holding ten consecutive users. Thousands a second, where
creating them one by one over the network takes minutes.

  bulk-accounts.py SMB_CONF PREFIX USERS [GROUPS [BIG]]

Names are PREFIX00001.. for users and PREFIXg0001.. for groups; with BIG, a
group PREFIXbig holds the first BIG users. Accounts that already exist are
left alone."""
import sys

import ldb
from samba.auth import system_session
from samba.param import LoadParm
from samba.samdb import SamDB


def main():
    conf, prefix, users = sys.argv[1], sys.argv[2], int(sys.argv[3])
    groups = int(sys.argv[4]) if len(sys.argv) > 4 else 0
    big = int(sys.argv[5]) if len(sys.argv) > 5 else 0
    lp = LoadParm()
    lp.load(conf)
    samdb = SamDB(url=lp.samdb_url(), session_info=system_session(), lp=lp)
    base = samdb.domain_dn()
    existing = {str(m["sAMAccountName"][0]) for m in samdb.search(
        base, scope=ldb.SCOPE_SUBTREE,
        expression="(|(objectClass=user)(objectClass=group))",
        attrs=["sAMAccountName"])}
    user_dn = lambda n: "CN=%s%05d,CN=Users,%s" % (prefix, n, base)
    records = []
    for n in range(1, users + 1):
        name = "%s%05d" % (prefix, n)
        if name not in existing:
            records.append({"dn": user_dn(n), "objectClass": "user",
                            "sAMAccountName": name,
                            "userAccountControl": "512"})
    for g in range(1, groups + 1):
        name = "%sg%04d" % (prefix, g)
        if name in existing:
            continue
        first = (g - 1) * 10 + 1
        members = [user_dn(n) for n in range(first, first + 10) if n <= users]
        record = {"dn": "CN=%s,CN=Users,%s" % (name, base),
                  "objectClass": "group", "sAMAccountName": name,
                  "groupType": "-2147483646"}
        if members:
            record["member"] = members
        records.append(record)
    if big and "%sbig" % prefix not in existing:
        records.append({"dn": "CN=%sbig,CN=Users,%s" % (prefix, base),
                        "objectClass": "group",
                        "sAMAccountName": "%sbig" % prefix,
                        "groupType": "-2147483646",
                        "member": [user_dn(n) for n in range(1, big + 1)]})
    for start in range(0, len(records), 1000):
        samdb.transaction_start()
        try:
            for record in records[start:start + 1000]:
                samdb.add(record)
            samdb.transaction_commit()
        except Exception:
            samdb.transaction_cancel()
            raise


if __name__ == "__main__":
    main()
