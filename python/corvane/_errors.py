"""Exceptions: pywin32's ``com_error`` for the late-bound face, and
``corvane.Error`` with one subclass per common status for the Pythonic one."""

from . import _corvane

DISP_E_EXCEPTION = -2147352567

# The system's own texts for the HRESULTs the component raises, as
# pywin32 reports them in ``strerror`` on an English Windows.
_MESSAGES = {
    -2147352570: "Unknown name.",
    -2147352573: "Member not found.",
    -2147352572: "Parameter not found.",
    -2147352571: "Type mismatch.",
    -2147352562: "Invalid number of parameters.",
    -2147352566: "Out of present range.",
    -2147352565: "Invalid index.",
    -2147352563: "Memory is locked.",
    DISP_E_EXCEPTION: "Exception occurred.",
    -2147024809: "The parameter is incorrect.",
    -2147418113: "Catastrophic failure",
    -2147024882: "Not enough memory resources are available to complete "
                 "this operation.",
    -2147221005: "Invalid class string",
    -2147221231: "ClassFactory cannot supply requested class",
}


class com_error(Exception):  # noqa: N801 - pywin32's name
    """An automation error as pywin32 raises it: ``args`` are
    ``(hresult, strerror, excepinfo, argerror)``; ``excepinfo`` is
    ``(wcode, source, description, helpfile, helpcontext, scode)`` or None."""

    @property
    def hresult(self):
        return self.args[0]

    @property
    def strerror(self):
        return self.args[1]

    @property
    def excepinfo(self):
        return self.args[2]

    @property
    def argerror(self):
        return self.args[3]


def com_error_from(fault):
    """The com_error a pywin32 client sees for the core's fault."""
    hresult, source, description = fault.args
    if source or description:
        # The server reports an error with source or description as
        # DISP_E_EXCEPTION carrying the error info.
        excepinfo = (0, source or None, description or None, None, 0, hresult)
        return com_error(DISP_E_EXCEPTION, _MESSAGES[DISP_E_EXCEPTION],
                         excepinfo, None)
    return com_error(hresult, _MESSAGES.get(hresult), None, None)


class Error(Exception):
    """A failure the controller or the component reported.

    ``status`` is the platform status number (None when there is none),
    ``status_name`` its name (``NERR_UserNotFound``), ``message`` the
    component's text with the status explained, ``hint`` what to try."""

    def __init__(self, message, status=None, status_name=None, hint=None):
        super().__init__(message)
        self.message = message
        self.status = status
        self.status_name = status_name
        self.hint = hint or None


class UserNotFound(Error):
    """The user account does not exist."""


class GroupNotFound(Error):
    """The global group does not exist."""


class AlreadyExists(Error):
    """The account or group exists already."""


class AccessDenied(Error):
    """The controller refused the logon's rights for this."""


class PasswordRefused(Error):
    """The password does not meet the domain's rules."""


class ControllerUnreachable(Error):
    """No domain controller answered."""


class ConnectError(Error):
    """The connection could not be set up (credentials, module, state)."""


ConnectionBusy = _corvane.ConnectionBusy
ConnectionClosed = _corvane.ConnectionClosed

_BY_NAME = {
    "NERR_UserNotFound": UserNotFound,
    "ERROR_NO_SUCH_USER": UserNotFound,
    "NERR_GroupNotFound": GroupNotFound,
    "ERROR_NO_SUCH_GROUP": GroupNotFound,
    "NERR_UserExists": AlreadyExists,
    "NERR_GroupExists": AlreadyExists,
    "ERROR_USER_EXISTS": AlreadyExists,
    "ERROR_GROUP_EXISTS": AlreadyExists,
    "ERROR_MEMBER_IN_GROUP": AlreadyExists,
    "NERR_UserInGroup": AlreadyExists,
    "ERROR_ACCESS_DENIED": AccessDenied,
    "NERR_PasswordTooShort": PasswordRefused,
    "ERROR_BAD_NETPATH": ControllerUnreachable,
    "RPC_S_SERVER_UNAVAILABLE": ControllerUnreachable,
    "ERROR_CONNECTION_REFUSED": ControllerUnreachable,
    "ERROR_NO_LOGON_SERVERS": ControllerUnreachable,
    "NERR_DCNotFound": ControllerUnreachable,
    "ERROR_UNEXP_NET_ERR": ControllerUnreachable,
    "ERROR_NETNAME_DELETED": ControllerUnreachable,
}


def error_for(last_error):
    """The exception for an ``sLastError`` text or a task's error text."""
    status, name, _meaning, hint = _corvane.status_of(last_error)
    message = _corvane.explained(last_error)
    return _BY_NAME.get(name, Error)(message, status, name, hint)
