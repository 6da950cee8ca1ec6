"""The Pythonic face on the simulated controller."""
import datetime
import logging

import pytest

import corvane


def test_listings_facts_and_groups(conn):
    assert {"Administrator", "alice"} <= set(conn.users())
    assert list(conn.groups()) == ["Domain Admins", "Domain Users", "Sales"]
    facts = conn.user("Administrator")
    assert facts.sid.startswith("S-1-5-21-") and facts.sid.endswith("-500")
    assert facts.account_expires is None
    groups = conn.user_groups("Administrator")
    assert [g.name for g in groups if g.primary] == ["Domain Users"]


def test_changes_through_the_classes(conn):
    conn.create_user("kim", "Pw-12345678", full_name="Kim K",
                     groups=["Sales"])
    assert "kim" in set(conn.members("Sales"))
    conn.change_user("kim", comment="new")
    conn.disable_user("kim")
    facts = conn.user("kim")
    assert (facts.full_name, facts.comment, facts.disabled) == \
        ("Kim K", "new", True)
    assert isinstance(facts.password_last_set, (datetime.datetime,
                                                type(None)))
    conn.enable_user("kim")
    conn.unlock_user("kim")
    conn.remove_member("Sales", "kim")
    assert "kim" not in set(conn.members("Sales"))
    conn.delete_user("kim")
    with pytest.raises(corvane.UserNotFound) as raised:
        conn.user("kim")
    assert raised.value.status == 2221
    assert raised.value.status_name == "NERR_UserNotFound"


@pytest.mark.parametrize("action, error", [
    (lambda c: c.create_user("alice", "Pw-12345678"), corvane.AlreadyExists),
    (lambda c: c.add_member("NoGroup", "alice"), corvane.GroupNotFound),
    (lambda c: c.delete_user("nobody"), corvane.UserNotFound),
    (lambda c: list(c.members("NoGroup")), corvane.GroupNotFound),
])
def test_errors_name_their_status(conn, action, error):
    with pytest.raises(error) as raised:
        action(conn)
    assert isinstance(raised.value, corvane.Error)
    assert raised.value.message and raised.value.status


def test_a_bytearray_password_is_wiped_when_asked(conn):
    password = bytearray(b"Pw-12345678")
    conn.set_password("alice", password, wipe=True)
    assert password == bytearray(len(password))
    with pytest.raises(TypeError):
        conn.set_password("alice", 12345)


def test_import_dry_run_exist_ok_and_generated_passwords(conn):
    rows = [{"name": "n1", "password": "Pw-12345678", "groups": "Sales"},
            {"name": "alice", "full_name": "Alice A"},
            {"name": "n2"}]
    kept = {}

    def keep(name, password):
        kept[name] = len(password)
    # Without a taker of generated passwords, n2 cannot be made.
    assert conn.import_users(rows, dry_run=True, exist_ok=True)[2].failed
    planned = conn.import_users(rows, dry_run=True, exist_ok=True,
                                generated_passwords=keep)
    assert [o.status for o in planned] == ["ok", "ok", "ok"]
    assert "n1" not in set(conn.users()) and kept == {}
    done = conn.import_users(rows, exist_ok=True, generated_passwords=keep)
    assert [o.action for o in done] == ["create", "update", "create"]
    assert kept == {"n2": 16}
    assert {"n1", "n2"} <= set(conn.users())
    again = conn.import_users(rows[:1])
    assert again[0].failed and "exists" in again[0].error
    # A refused row carries its own problems, never line 12's as line 1's.
    names = ["a@b"] + ["x%d" % i for i in range(10)] + ["c@d"]
    refused = conn.import_users([{"name": n} for n in names], dry_run=True)
    assert "a@b" in refused[0].error and "c@d" not in refused[0].error


def test_import_from_csv(conn, tmp_path):
    path = tmp_path / "rows.csv"
    path.write_text("name,full name,groups,password\n"
                    "c1,C One,Sales;Domain Admins,Pw-12345678\n")
    [outcome] = conn.import_users(path)
    assert outcome.status == "ok"
    assert {g.name for g in conn.user_groups("c1")} >= {"Sales",
                                                        "Domain Admins"}


def test_the_call_trace_goes_to_the_logger_only(caplog, capfd):
    with caplog.at_level(logging.DEBUG, logger="corvane"):
        with corvane.connect(demo=True, domain="CORVANE") as conn:
            conn.set_password("alice", "Sekrit-98765")
    lines = [r.getMessage() for r in caplog.records]
    assert any("NetUserSetInfo" in line for line in lines)
    assert not any("Sekrit" in line for line in lines)
    assert capfd.readouterr() == ("", "")


def test_a_state_file_is_kept_only_when_changed(tmp_path):
    state = tmp_path / "state.json"
    with corvane.connect(simulate=state, domain="CORVANE") as conn:
        list(conn.users())
    # A new state starts the demo domain and is kept, as the command keeps it;
    # a session that only reads leaves it as it is (a save would replace it).
    assert state.stat().st_mode & 0o777 == 0o600
    kept = state.stat().st_ino
    with corvane.connect(simulate=state, domain="CORVANE") as conn:
        list(conn.users())
    assert state.stat().st_ino == kept
    with corvane.connect(simulate=state, domain="CORVANE") as conn:
        conn.create_user("saved", "Pw-12345678")
    assert state.stat().st_ino != kept
    with corvane.connect(simulate=state, domain="CORVANE") as conn:
        assert "saved" in set(conn.users())


def test_a_closed_connection_refuses_calls(conn):
    conn.close()
    with pytest.raises(corvane.ConnectionClosed):
        conn.user("alice")


def test_no_controller_is_a_clear_error():
    with pytest.raises(corvane.ConnectError, match="no domain controller"):
        corvane.connect()
    with pytest.raises(corvane.ConnectError, match="password"):
        corvane.connect("dc1", user="a%b")


def test_lifecycle_renames_and_filtered_accounts(conn, caplog):
    password = conn.create_user("lyn", random_password=True,
                                must_change_password=True,
                                account_expires=datetime.datetime(
                                    2031, 1, 31, tzinfo=datetime.timezone.utc))
    assert isinstance(password, bytearray) and len(password) == 16
    facts = conn.user("lyn")
    assert facts.must_change_password
    assert facts.account_expires == datetime.datetime(
        2031, 1, 31, tzinfo=datetime.timezone.utc)
    sid = facts.sid
    conn.domain_object.eLogging = 2  # attribute changes told too
    with caplog.at_level(logging.INFO, logger="corvane"):
        conn.rename_user("lyn", "lyn.b")
    assert "Renamed user lyn to lyn.b" in [r.getMessage() for r in caplog.records]
    assert conn.user("lyn.b").sid == sid
    with pytest.raises(corvane.UserNotFound):
        conn.user("lyn")
    conn.rename_group("Sales", "Crew")
    assert "Crew" in set(conn.groups())
    expired = [a.name for a in conn.accounts(expired=True)]
    assert expired == ["lyn.b"]
    conn.set_must_change_password("lyn.b", False)
    conn.set_account_expiry("lyn.b", None)
    assert [a.name for a in conn.accounts(expired=True)] == []
    listed = {a.name: a for a in conn.accounts(disabled=True)}
    assert set(listed) == {"Guest"} and listed["Guest"].disabled


def test_import_keeps_existing_passwords_and_checks_groups(conn):
    conn.create_user("moe", "Mx-first-1!x")
    [kept] = conn.import_users([{"name": "moe", "password": "Other-Pw-2"}],
                               exist_ok=True)
    assert kept.status == "unchanged"
    [reset] = conn.import_users([{"name": "moe", "password": "Other-Pw-2"}],
                                exist_ok=True, reset_passwords=True)
    assert reset.done == ("set the password",)
    [missing] = conn.import_users([{"name": "ned", "groups": ["Nope"]}],
                                  generated_passwords=lambda n, p: None)
    assert missing.failed and "Nope does not exist" in missing.error
    with pytest.raises(corvane.UserNotFound):
        conn.user("ned")
