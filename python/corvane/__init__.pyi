"""Types of the corvane package's public names, for editors and type
checkers; kept in step with the modules by tests/python/test_stubs.py."""

import datetime
import os
from collections.abc import Callable, Iterable, Iterator, Mapping
from types import TracebackType
from typing import Any, Literal, NamedTuple

__all__ = [
    "AccessDenied", "AccountFacts", "AlreadyExists", "CDispatch",
    "ConnectError", "Connection", "ConnectionBusy", "ConnectionClosed",
    "ControllerUnreachable", "Dispatch", "Error", "GroupMembership",
    "GroupNotFound", "ListedAccount", "PasswordRefused", "RowOutcome",
    "UserNotFound",
    "com_error", "connect", "samba_module_path",
]

# A password as the package takes it; its bytes are copied straight into
# the core's secret type.
_Password = str | bytes | bytearray
_Path = str | os.PathLike[str]


# -- errors ---------------------------------------------------------------
class com_error(Exception):  # noqa: N801 - pywin32's name
    """``args`` are ``(hresult, strerror, excepinfo, argerror)``."""

    @property
    def hresult(self) -> int: ...
    @property
    def strerror(self) -> str | None: ...
    @property
    def excepinfo(
        self,
    ) -> tuple[int, str | None, str | None, None, int, int] | None: ...
    @property
    def argerror(self) -> int | None: ...


class Error(Exception):
    message: str
    status: int | None
    status_name: str | None
    hint: str | None

    def __init__(self, message: str, status: int | None = None,
                 status_name: str | None = None,
                 hint: str | None = None) -> None: ...


class UserNotFound(Error): ...
class GroupNotFound(Error): ...
class AlreadyExists(Error): ...
class AccessDenied(Error): ...
class PasswordRefused(Error): ...
class ControllerUnreachable(Error): ...
class ConnectError(Error): ...
class ConnectionBusy(RuntimeError): ...
class ConnectionClosed(RuntimeError): ...


# -- late-bound -------------------------------------------------------------
class CDispatch:
    """An object of the component: its properties are attributes, its
    methods calls, by case-insensitive name."""

    def __init__(self, obj: Any, user_name: str | None = None) -> None: ...
    def __bool__(self) -> bool: ...
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    def __dir__(self) -> list[str]: ...
    def __getattr__(self, name: str) -> Any: ...
    def __setattr__(self, name: str, value: Any) -> None: ...


def Dispatch(prog_id: str, userName: str | None = None,  # noqa: N802, N803
             **options: Any) -> CDispatch: ...


# -- Pythonic ---------------------------------------------------------------
class AccountFacts(NamedTuple):
    name: str
    full_name: str
    comment: str
    home_dir: str
    script_path: str
    privilege: int
    flags: int
    disabled: bool
    locked_out: bool
    last_logon: datetime.datetime | None
    password_last_set: datetime.datetime | None
    password_expires: datetime.datetime | None
    account_expires: datetime.datetime | None
    must_change_password: bool
    bad_password_count: int
    primary_group_id: int
    primary_group: str
    sid: str


class GroupMembership(NamedTuple):
    name: str
    primary: bool


class ListedAccount(NamedTuple):
    name: str
    full_name: str
    comment: str
    disabled: bool
    locked_out: bool
    password_expired: bool
    must_change_password: bool
    account_expired: bool
    last_logon: datetime.datetime | None
    password_last_set: datetime.datetime | None
    account_expires: datetime.datetime | None
    bad_password_count: int


class RowOutcome(NamedTuple):
    line: int
    user: str
    action: str
    done: tuple[str, ...]
    not_done: tuple[str, ...]
    error: str
    status: Literal["ok", "unchanged", "failed"]

    @property
    def failed(self) -> bool: ...


class Connection:
    def __init__(self, session: Any, domain: str | None = None, *,
                 reads_anywhere: bool = False) -> None: ...
    @property
    def dc(self) -> str: ...
    @property
    def domain(self) -> str: ...
    @property
    def domain_object(self) -> CDispatch: ...
    def users(self) -> Iterator[str]: ...
    def accounts(self, *, disabled: bool = False, locked: bool = False,
                 expired: bool = False,
                 never_logged_on: bool = False) -> Iterator[ListedAccount]: ...
    def groups(self) -> Iterator[str]: ...
    def members(self, group: str) -> Iterator[str]: ...
    def user(self, name: str) -> AccountFacts: ...
    def user_groups(self, name: str) -> list[GroupMembership]: ...
    def create_user(self, name: str, password: _Password | None = None, *,
                    full_name: str = "", comment: str = "",
                    home_dir: str = "", script: str = "",
                    disabled: bool = False, groups: Iterable[str] = (),
                    wipe: bool = False, random_password: bool = False,
                    must_change_password: bool = False,
                    account_expires: datetime.datetime | None = None,
                    ) -> bytearray | None: ...
    def change_user(self, name: str, *, full_name: str | None = None,
                    comment: str | None = None, home_dir: str | None = None,
                    script: str | None = None) -> None: ...
    def set_password(self, name: str, password: _Password, *,
                     wipe: bool = False,
                     must_change_password: bool = False) -> None: ...
    def rename_user(self, name: str, new_name: str) -> None: ...
    def rename_group(self, name: str, new_name: str) -> None: ...
    def set_account_expiry(self, name: str,
                           expires: datetime.datetime | None) -> None: ...
    def set_must_change_password(self, name: str,
                                 must_change: bool = True) -> None: ...
    def disable_user(self, name: str) -> None: ...
    def enable_user(self, name: str) -> None: ...
    def unlock_user(self, name: str) -> None: ...
    def delete_user(self, name: str) -> None: ...
    def create_group(self, name: str, comment: str = "") -> None: ...
    def delete_group(self, name: str) -> None: ...
    def add_member(self, group: str, user: str) -> None: ...
    def remove_member(self, group: str, user: str) -> None: ...
    def import_users(
        self, rows: Iterable[Mapping[str, Any]] | _Path, *,
        dry_run: bool = False, exist_ok: bool = False,
        reset_passwords: bool = False,
        generated_passwords: Callable[[str, bytearray], object] | None = None,
    ) -> list[RowOutcome]: ...
    def close(self) -> None: ...
    @property
    def closed(self) -> bool: ...
    def __enter__(self) -> Connection: ...
    def __exit__(self, exc_type: type[BaseException] | None,
                 exc: BaseException | None,
                 traceback: TracebackType | None) -> Literal[False]: ...


def connect(server: str | None = None, *, domain: str | None = None,
            realm: str | None = None, user: str | None = None,
            password: _Password | Callable[[str], _Password] | None = None,
            auth_file: _Path | None = None, krb5_ccache: str | None = None,
            kerberos: Literal["required", "desired", "off"] | None = None,
            configfile: _Path | None = None, simulate: _Path | None = None,
            demo: bool = False, _hold_calls: bool = False) -> Connection: ...


def samba_module_path() -> str: ...
