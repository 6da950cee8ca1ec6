"""Corvane: NT / Active Directory domain accounts from Python.

Two ways in:

* ``corvane.Dispatch("Corvane.NTDomain", ...)`` -- the component's objects
  late-bound, exactly as pywin32 presents the COM server on Windows.
* ``corvane.connect(...)`` -- a Pythonic connection: listings as
  generators, account facts as records, changes, bulk import.
"""

from ._connection import (AccountFacts, Connection, GroupMembership,
                          ListedAccount, RowOutcome, connect,
                          samba_module_path)
from ._dispatch import CDispatch
from ._errors import (AccessDenied, AlreadyExists, ConnectError,
                      ConnectionBusy, ConnectionClosed, ControllerUnreachable,
                      Error, GroupNotFound, PasswordRefused, UserNotFound,
                      com_error)

__all__ = [
    "AccessDenied", "AccountFacts", "AlreadyExists", "CDispatch",
    "ConnectError", "Connection", "ConnectionBusy", "ConnectionClosed",
    "ControllerUnreachable", "Dispatch", "Error", "GroupMembership",
    "GroupNotFound", "ListedAccount", "PasswordRefused", "RowOutcome",
    "UserNotFound",
    "com_error", "connect", "samba_module_path",
]


def _options_from_environment():
    import os
    env = os.environ
    if env.get("CORVANE_SIMULATE"):
        return {"simulate": env["CORVANE_SIMULATE"]}
    options = {}
    for key, name in (("server", "CORVANE_SERVER"),
                      ("domain", "CORVANE_DOMAIN"),
                      ("auth_file", "CORVANE_AUTH_FILE"),
                      ("krb5_ccache", "CORVANE_KRB5_CCACHE"),
                      ("realm", "CORVANE_REALM"),
                      ("configfile", "CORVANE_CONFIGFILE")):
        if env.get(name):
            options[key] = env[name]
    return options


def Dispatch(prog_id, userName=None, **options):  # noqa: N802, N803
    """Creates the component's object as pywin32's
    ``win32com.client.Dispatch`` does (``"Corvane.NTDomain"``).

    Where it runs is given by keyword arguments, as for ``connect``
    (``server``, ``domain``, ``user``, ``password``, ``auth_file``,
    ``krb5_ccache``, ``simulate``, ``demo``); without any, by the
    environment: CORVANE_SIMULATE, or CORVANE_SERVER and CORVANE_DOMAIN
    with CORVANE_AUTH_FILE or a Kerberos ticket. Errors are raised as
    ``com_error``."""
    from . import _corvane
    from ._connection import _open_session
    from ._errors import com_error_from
    if not options:
        options = _options_from_environment()
    # The domain reaches the backend, whose controller lookup answers for
    # that domain only; the script still sets sDomain itself.
    session = _open_session(**options)
    try:
        obj = _corvane.create_object(session, prog_id)
    except _corvane.AutomationFault as fault:
        session.close()
        raise com_error_from(fault) from None
    # The session ends (keeping a simulated state) when the last object
    # of it is released, as a COM server's objects do.
    return CDispatch(obj, userName or prog_id)
