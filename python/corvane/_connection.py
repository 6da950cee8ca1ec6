"""The Pythonic face: a connection to a domain, its listings, an account's
facts, changes made through the component's classes by member name, and
bulk import through the task layer."""

# csv and logging are imported where they are used, so that importing the
# package stays cheap for a script that needs neither.
import collections
import datetime
import os

from . import _corvane
from ._dispatch import DISPATCH_METHOD, DISPATCH_PROPERTYGET, \
    DISPATCH_PROPERTYPUT
from ._errors import ConnectError, Error, com_error_from, error_for


_MODULE_FILE = "corvane-samba.so"


def samba_module_path():
    """Where the Samba backend module is looked for: CORVANE_SAMBA_MODULE,
    beside the package in a build tree, then the installed place."""
    explicit = os.environ.get("CORVANE_SAMBA_MODULE")
    if explicit:
        return explicit
    here = os.path.dirname(os.path.realpath(__file__))
    candidates = [os.path.join(here, os.pardir, os.pardir, "cli", _MODULE_FILE),
                  os.path.join("/usr/lib/corvane", _MODULE_FILE)]
    for candidate in candidates:
        if os.path.exists(candidate):
            return os.path.normpath(candidate)
    return candidates[-1]


def _time(seconds):
    if seconds is None:
        return None
    return datetime.datetime.fromtimestamp(seconds, datetime.timezone.utc)


# Records are named tuples: immutable, compared by value, and cheap to
# import (dataclasses would bring inspect and ast with it).
_AccountFactsFields = collections.namedtuple("_AccountFactsFields", (
        "name", "full_name", "comment", "home_dir", "script_path",
        "privilege", "flags", "disabled", "locked_out", "last_logon",
        "password_last_set", "password_expires", "account_expires",
        "must_change_password", "bad_password_count", "primary_group_id",
        "primary_group", "sid"))


class AccountFacts(_AccountFactsFields):
    """What the controller holds about a user account. Times are
    timezone-aware (UTC); None means never. The SID is text, S-1-5-..."""
    __slots__ = ()


_GroupMembershipFields = collections.namedtuple("_GroupMembershipFields",
                                                ("name", "primary"))


class GroupMembership(_GroupMembershipFields):
    """One global group of a user; ``primary`` marks the primary group."""
    __slots__ = ()


_ListedAccountFields = collections.namedtuple("_ListedAccountFields", (
    "name", "full_name", "comment", "disabled", "locked_out",
    "password_expired", "must_change_password", "account_expired",
    "last_logon", "password_last_set", "account_expires",
    "bad_password_count"))


class ListedAccount(_ListedAccountFields):
    """An account as a listing with facts gives it (one batch call for
    many accounts). Times are timezone-aware (UTC); None means never."""
    __slots__ = ()


def _seconds(when):
    """A datetime (naive: UTC) as seconds since 1970, or None."""
    if when is None:
        return None
    if when.tzinfo is None:
        when = when.replace(tzinfo=datetime.timezone.utc)
    return int(when.timestamp())


_RowOutcomeFields = collections.namedtuple("_RowOutcomeFields", (
    "line", "user", "action", "done", "not_done", "error", "status"))


class RowOutcome(_RowOutcomeFields):
    """What bulk import did with one row (or, on a dry run, would do);
    ``status`` is "ok", "unchanged" or "failed"."""
    __slots__ = ()

    @property
    def failed(self):
        return self.status == "failed"


_CSV_COLUMNS = {"name": "name", "full name": "full_name",
                "comment": "comment", "home dir": "home_dir",
                "script": "script", "disabled": "disabled",
                "groups": "groups", "password": "password",
                "must change": "must_change_password",
                "expires": "account_expires"}


def _expiry(value):
    """An expires cell: never, YYYY-MM-DD (the end of that local day) or
    an ISO 8601 time; a datetime or None passes as it is."""
    if value is None or isinstance(value, datetime.datetime):
        return value
    text = value.strip()
    if text.lower() == "never":
        return None
    if len(text) == 10:
        day = datetime.date.fromisoformat(text) + datetime.timedelta(days=1)
        return datetime.datetime(day.year, day.month, day.day).astimezone()
    return datetime.datetime.fromisoformat(text.replace("Z", "+00:00"))


def _csv_rows(path):
    import csv
    rows = []
    with open(path, newline="", encoding="utf-8") as file:
        for record in csv.DictReader(file):
            row = {}
            for column, value in record.items():
                key = _CSV_COLUMNS.get((column or "").strip().lower())
                if key is None or value is None:
                    continue
                value = value.strip()
                if key == "groups":
                    row[key] = [g.strip() for g in value.split(";")
                                if g.strip()]
                elif key in ("disabled", "must_change_password"):
                    if value or key == "disabled":
                        row[key] = value.lower() in ("1", "yes", "true")
                elif key == "account_expires":
                    if value:
                        row[key] = _expiry(value)
                elif value or key == "name":
                    row[key] = value
            rows.append(row)
    return rows


def _normalised(row):
    out = {}
    for key, value in row.items():
        key = _CSV_COLUMNS.get(key.replace("_", " ").lower(), key)
        if key == "groups" and isinstance(value, str):
            value = [g.strip() for g in value.split(";") if g.strip()]
        if key == "account_expires":
            value = _expiry(value)
        out[key] = value
    return out


class Connection:
    """A connection to one domain. Use it as a context manager; one thread
    at a time (another thread's call meanwhile raises ConnectionBusy)."""

    def __init__(self, session, domain=None, *, reads_anywhere=False):
        # With `reads_anywhere` (a controller session, whose empty server
        # name is the configured controller) reads go straight to the
        # controller: the domain object, and with it the look-up of the
        # controller's name, is made only when something needs it (a
        # change, ``dc``, ``domain_object``), so a connection that only
        # reads never asks for it. Otherwise it is made now.
        self._session = session
        self._domain_name = domain
        self._objects = None
        self._reads_at = "" if reads_anywhere else None
        if not reads_anywhere:
            self._domain_objects()

    def _domain_objects(self):
        """The NTDomain object and its Users and Groups, made once."""
        if self._objects is None:
            session = self._session
            try:
                domain = _corvane.create_object(session, "Corvane.NTDomain")
                if self._domain_name:
                    self._put(domain, "sDomain", self._domain_name)
                    self._check(domain)
                self._objects = (domain, self._get(domain, "Users"),
                                 self._get(domain, "Groups"))
            except BaseException:
                if self._reads_at is None:
                    session.close()
                raise
        return self._objects

    @property
    def _domain(self):
        return self._domain_objects()[0]

    @property
    def _users(self):
        return self._domain_objects()[1]

    @property
    def _groups(self):
        return self._domain_objects()[2]

    def _read_server(self):
        """The server name reads are sent to."""
        return self.dc if self._reads_at is None else self._reads_at

    # -- plumbing -------------------------------------------------------
    @staticmethod
    def _invoke(obj, name, kind, args=()):
        try:
            result, _ = obj.invoke(name, kind, list(args),
                                   [False] * len(args))
        except _corvane.AutomationFault as fault:
            error = com_error_from(fault)
            raise Error(str(error.excepinfo[2] if error.excepinfo
                            else error.strerror or error.hresult)) from error
        return result

    def _get(self, obj, name):
        return self._invoke(obj, name, DISPATCH_PROPERTYGET)

    def _put(self, obj, name, value):
        self._invoke(obj, name, DISPATCH_PROPERTYPUT, [value])

    def _call(self, obj, name, *args):
        return self._invoke(obj, name, DISPATCH_METHOD, args)

    def _check(self, obj):
        last = self._get(obj, "sLastError")
        if last and last != "SUCCESS":
            raise error_for(last)

    def _select_user(self, name):
        self._put(self._users, "sUserName", name)
        self._check(self._users)

    def _select_group(self, name):
        self._put(self._groups, "sGroupName", name)
        self._check(self._groups)

    @property
    def dc(self):
        """The domain controller every call goes to."""
        return self._get(self._domain, "sDC")

    @property
    def domain(self):
        """The domain's name."""
        return self._get(self._domain, "sDomain")

    @property
    def domain_object(self):
        """The late-bound NTDomain object of this connection."""
        from ._dispatch import CDispatch
        return CDispatch(self._domain, "Corvane.NTDomain")

    # -- listings -------------------------------------------------------
    def _names(self, kind, group=""):
        listing = _corvane.list_names(self._session, kind,
                                       self._read_server(), group)
        while True:
            step = listing.next()
            if step is None:
                return
            names, error = step
            if error is not None:
                raise error_for(error)
            yield from names

    def users(self):
        """Every normal user account's name, one batch held at a time."""
        return self._names("users")

    def accounts(self, *, disabled=False, locked=False, expired=False,
                 never_logged_on=False):
        """Every normal user account with its facts (ListedAccount), read
        in the controller's batches, never a call per account; each filter
        given must hold (``expired``: the password or the account)."""
        listing = _corvane.list_accounts(
            self._session, self._read_server(), bool(disabled), bool(locked),
            bool(expired), bool(never_logged_on))
        while True:
            step = listing.next()
            if step is None:
                return
            found, error = step
            if error is not None:
                raise error_for(error)
            for account in found:
                for key in ("last_logon", "password_last_set",
                            "account_expires"):
                    account[key] = _time(account[key])
                yield ListedAccount(**account)

    def groups(self):
        """Every global group's name."""
        return self._names("groups")

    def members(self, group):
        """The names of a global group's members."""
        return self._names("members", group)

    # -- facts ----------------------------------------------------------
    def user(self, name):
        """The account's facts (AccountFacts)."""
        facts, error = _corvane.account_facts(self._session,
                                              self._read_server(), name)
        if error is not None:
            raise error_for(error)
        for key in ("last_logon", "password_last_set", "password_expires",
                    "account_expires"):
            facts[key] = _time(facts[key])
        return AccountFacts(**facts)

    def user_groups(self, name):
        """The user's global groups, the primary one marked."""
        found, error = _corvane.user_groups(self._session,
                                            self._read_server(), name)
        if error is not None:
            raise error_for(error)
        # The task layer puts the primary group first when the controller
        # leaves it out.
        names, primary = found
        return [GroupMembership(n, n == primary) for n in names]

    # -- changes, through the classes -----------------------------------
    def create_user(self, name, password=None, *, full_name="", comment="",
                    home_dir="", script="", disabled=False, groups=(),
                    wipe=False, random_password=False,
                    must_change_password=False, account_expires=None):
        """Creates the account as NTUser.Add does. A bytearray password is
        zeroed afterwards when ``wipe`` is true. With ``random_password``
        a 16-character password is generated and returned, once, as a
        bytearray the caller may wipe. ``account_expires`` (a datetime) and
        ``must_change_password`` are set after the account is made."""
        generated = None
        if random_password:
            if password is not None:
                raise ValueError("give a password or random_password, "
                                 "not both")
            generated = password = _corvane.generate_password()
        try:
            created = self._call(self._users, "Add", name, password,
                                 home_dir, comment, script, full_name, 1,
                                 bool(disabled))
        finally:
            if wipe:
                _corvane.wipe(password)
        self._check(self._users)
        if not created:
            raise Error("the account %s was not created" % name)
        if account_expires is not None:
            self.set_account_expiry(name, account_expires)
        if must_change_password:
            self.set_must_change_password(name, True)
        for group in groups:
            self.add_member(group, name)
        return generated

    def change_user(self, name, *, full_name=None, comment=None,
                    home_dir=None, script=None):
        """Sets the attributes given; the others stay as they are."""
        self._select_user(name)
        for member, value in (("sFullName", full_name), ("sComment", comment),
                              ("sHomeDir", home_dir),
                              ("sScriptPath", script)):
            if value is not None:
                self._put(self._users, member, value)
                self._check(self._users)

    def set_password(self, name, password, *, wipe=False,
                     must_change_password=False):
        """Sets the account's password (str, bytes or bytearray); with
        ``must_change_password`` the user must change it at the next
        logon."""
        try:
            self._select_user(name)
            self._put(self._users, "sPassword", password)
        finally:
            if wipe:
                _corvane.wipe(password)
        self._check(self._users)
        if must_change_password:
            self.set_must_change_password(name, True)

    # -- changes the classes have no member for, through the tasks -------
    def _changed(self, result):
        if result != "SUCCESS":
            raise error_for(result)

    def rename_user(self, name, new_name):
        """Renames the account; its SID, groups and password stay."""
        self._changed(_corvane.rename_user(self._domain, name, new_name))

    def rename_group(self, name, new_name):
        """Renames the global group; its SID and members stay."""
        self._changed(_corvane.rename_group(self._domain, name, new_name))

    def set_account_expiry(self, name, expires):
        """When the account expires (a datetime; naive ones are UTC), or
        None for never."""
        self._changed(_corvane.set_account_expiry(
            self._domain, name, _seconds(expires)))

    def set_must_change_password(self, name, must_change=True):
        """Whether the user must change the password at the next logon."""
        self._changed(_corvane.set_must_change_password(
            self._domain, name, bool(must_change)))

    def _set_disabled(self, name, disabled):
        self._select_user(name)
        self._put(self._users, "bDisabled", disabled)
        self._check(self._users)

    def disable_user(self, name):
        self._set_disabled(name, True)

    def enable_user(self, name):
        self._set_disabled(name, False)

    def unlock_user(self, name):
        self._select_user(name)
        self._call(self._users, "UnlockAccount")
        self._check(self._users)

    def delete_user(self, name):
        self._select_user(name)
        self._call(self._users, "Delete")
        self._check(self._users)

    def create_group(self, name, comment=""):
        self._call(self._groups, "Add", name, comment)
        self._check(self._groups)

    def delete_group(self, name):
        self._call(self._groups, "Delete", name)
        self._check(self._groups)

    def add_member(self, group, user):
        self._select_group(group)
        members = self._get(self._groups, "Users")
        self._call(members, "Add", user)
        self._check(members)

    def remove_member(self, group, user):
        self._select_group(group)
        members = self._get(self._groups, "Users")
        self._put(members, "sUserName", user)
        self._check(members)
        self._call(members, "Delete")
        self._check(members)

    # -- bulk import ----------------------------------------------------
    def import_users(self, rows, *, dry_run=False, exist_ok=False,
                     reset_passwords=False, generated_passwords=None):
        """Makes every row's account exist as the row says; one RowOutcome
        per row. ``rows`` are dicts (name, full_name, comment, home_dir,
        script, disabled, groups, password, must_change_password,
        account_expires: a datetime, or None for never) or a CSV file's
        path. Every row and the groups they name are checked before
        anything is changed; an existing account keeps its password unless
        ``reset_passwords``. A new
        account without a password gets a generated one, handed to
        ``generated_passwords(name, bytearray)``."""
        if isinstance(rows, (str, os.PathLike)):
            rows = _csv_rows(rows)
        else:
            rows = [_normalised(row) for row in rows]
        for row in rows:
            if "account_expires" in row:
                row["account_expires"] = _seconds(row["account_expires"])
        run = _corvane.Import(self._domain, dry_run, exist_ok,
                              reset_passwords, generated_passwords)
        messages, refused = run.check(rows)
        outcomes = []
        for index, row in enumerate(rows):
            if refused[index]:
                # "line 1: ..." or "line 1 (ann): ...", never line 12's.
                mine = [m for m in messages
                        if m.startswith(("line %d:" % (index + 1),
                                         "line %d (" % (index + 1)))]
                outcomes.append(RowOutcome(index + 1, row.get("name", ""),
                                           "check", (), (),
                                           "; ".join(mine) or "refused",
                                           "failed"))
                continue
            outcome = run.apply(index)
            outcomes.append(RowOutcome(
                outcome["line"], outcome["user"], outcome["action"],
                tuple(outcome["done"]), tuple(outcome["not_done"]),
                outcome["error"], outcome["status"]))
        return outcomes

    # -- lifetime -------------------------------------------------------
    def close(self):
        """Keeps a simulated state's changes and ends the connection."""
        self._session.close()

    @property
    def closed(self):
        return self._session.closed

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


def _open_session(server=None, domain=None, realm=None, user=None,
                  password=None, auth_file=None, krb5_ccache=None,
                  kerberos=None, configfile=None, simulate=None, demo=False,
                  _hold_calls=False):
    import logging
    trace = logging.getLogger("corvane").isEnabledFor(logging.DEBUG)
    try:
        if demo:
            return _corvane.open_demo(trace, _hold_calls)
        if simulate:
            return _corvane.open_simulated(os.fspath(simulate), trace,
                                           _hold_calls)
        if not server:
            raise ConnectError("no domain controller: give server=HOST (or "
                               "simulate=FILE for the simulated demo domain)")
        if user and "%" in user:
            raise ConnectError("give the password as password=, never in "
                               "the user name")
        if sum(bool(x) for x in (user, auth_file, krb5_ccache)) > 1:
            raise ConnectError("give one of user=, auth_file= and "
                               "krb5_ccache=")
        if not _corvane.has_samba:
            raise ConnectError("this corvane was built without the Samba "
                               "backend")
        options = dict(server=server, domain=domain, realm=realm, user=user,
                       auth_file=auth_file and os.fspath(auth_file),
                       krb5_ccache=krb5_ccache, kerberos=kerberos or "",
                       configfile=configfile and os.fspath(configfile))
        return _corvane.open_samba(samba_module_path(), options, password,
                                   trace)
    except _corvane.BackendFailure as failure:
        raise ConnectError(str(failure)) from None


def connect(server=None, *, domain=None, realm=None, user=None,
            password=None, auth_file=None, krb5_ccache=None, kerberos=None,
            configfile=None, simulate=None, demo=False, _hold_calls=False):
    """Opens a connection.

    A controller takes credentials as Samba's tools do: ``user`` with
    ``password`` (str, bytes, bytearray, or a callable asked for it),
    ``auth_file`` (the -A format), or a Kerberos ticket cache
    (``krb5_ccache``, or the default one when no credential is given).
    ``simulate=PATH`` works on the simulated controller whose state the
    file keeps (locked while connected, saved on close when changed);
    ``demo=True`` on the simulated demo domain in memory."""
    session = _open_session(server, domain, realm, user, password, auth_file,
                            krb5_ccache, kerberos, configfile, simulate, demo,
                            _hold_calls)
    return Connection(session, domain,
                      reads_anywhere=not (demo or simulate))
