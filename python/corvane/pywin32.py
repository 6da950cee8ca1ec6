"""Runs a script written for pywin32 against the Windows COM server,
unchanged, on this package: ``python3 -m corvane.pywin32 SCRIPT [ARGS]``.

The script's ``win32com.client.Dispatch``, ``pywintypes.com_error`` and
``pythoncom.com_error`` are this package's; where it runs comes from the
environment (CORVANE_SIMULATE, or CORVANE_SERVER with CORVANE_AUTH_FILE or
a Kerberos ticket), as for ``corvane.Dispatch``."""

import runpy
import sys
import types

import corvane


def install():
    """Makes ``import win32com.client``, ``pywintypes`` and ``pythoncom``
    give this package's names."""
    win32com = types.ModuleType("win32com")
    client = types.ModuleType("win32com.client")
    client.Dispatch = corvane.Dispatch
    client.DispatchEx = corvane.Dispatch
    client.dynamic = types.SimpleNamespace(Dispatch=corvane.Dispatch)
    client.CDispatch = corvane.CDispatch
    win32com.client = client
    pywintypes = types.ModuleType("pywintypes")
    pywintypes.com_error = corvane.com_error
    pythoncom = types.ModuleType("pythoncom")
    pythoncom.com_error = corvane.com_error
    pythoncom.CoInitialize = lambda: None
    pythoncom.CoUninitialize = lambda: None
    sys.modules.update({"win32com": win32com, "win32com.client": client,
                        "pywintypes": pywintypes, "pythoncom": pythoncom})


def main(argv=None):
    argv = sys.argv[1:] if argv is None else argv
    if not argv:
        print(__doc__, file=sys.stderr)
        return 2
    install()
    sys.argv = list(argv)
    runpy.run_path(argv[0], run_name="__main__")
    return 0


if __name__ == "__main__":
    sys.exit(main())
