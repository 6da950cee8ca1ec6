"""The late-bound face, shaped as pywin32's dynamic ``Dispatch`` presents a
COM server: properties are attributes, methods are calls, names are
case-insensitive, child objects come back as wrappers, a method with
by-reference parameters returns its result followed by their new values,
and an automation error is raised as ``com_error``."""

from . import _corvane
from ._errors import com_error_from

DISPATCH_METHOD = 1
DISPATCH_PROPERTYGET = 2
DISPATCH_PROPERTYPUT = 4


def _call(obj, name, kind, args, omitted):
    try:
        return obj.invoke(name, kind, args, omitted)
    except _corvane.AutomationFault as fault:
        raise com_error_from(fault) from None


def _wrap(value, user_name):
    if isinstance(value, _corvane.Object):
        return CDispatch(value, user_name)
    return value


class CDispatch:
    """An object of the component; see pywin32's ``CDispatch``."""

    def __init__(self, obj, user_name=None):
        self.__dict__["_oleobj_"] = obj
        self.__dict__["_username_"] = user_name or "<unknown>"

    def __repr__(self):
        return "<COMObject %s>" % self._username_

    def __bool__(self):
        return True

    def __eq__(self, other):
        other = getattr(other, "_oleobj_", None)
        return other is not None and self._oleobj_.same(other)

    def __hash__(self):
        return id(self._oleobj_)

    def __dir__(self):
        return sorted(set(self._oleobj_.names()) | set(self.__dict__))

    def __getattr__(self, name):
        if name.startswith("__"):
            raise AttributeError(name)
        member = self._oleobj_.describe(name)
        if member is None:
            raise AttributeError("%s.%s" % (self._username_, name))
        if member["method"]:
            return _Method(self, member)
        if not member["get"]:
            raise AttributeError("%s.%s" % (self._username_, name))
        result, _after = _call(self._oleobj_, member["name"],
                               DISPATCH_PROPERTYGET, [], [])
        return _wrap(result, member["name"])

    def __setattr__(self, name, value):
        member = self._oleobj_.describe(name)
        if member is None or not member["put"]:
            raise AttributeError("Property '%s.%s' can not be set."
                                 % (self._username_, name))
        _call(self._oleobj_, member["name"], DISPATCH_PROPERTYPUT,
              [value], [False])


class _Method:
    def __init__(self, owner, member):
        self._owner = owner
        self._member = member
        self.__name__ = member["name"]
        self.__doc__ = "%s(%s)" % (member["name"], ", ".join(
            p[0] for p in member["params"]))

    def __call__(self, *args):
        params = self._member["params"]
        if len(args) > len(params):
            args_list, omitted = list(args), [False] * len(args)
        else:
            # Every parameter is presented; those not given are missing,
            # and a by-reference one still comes back.
            args_list = list(args) + [None] * (len(params) - len(args))
            omitted = [False] * len(args) + [True] * (len(params) - len(args))
        result, after = _call(self._owner._oleobj_, self._member["name"],
                              DISPATCH_METHOD, args_list, omitted)
        values = [result] if self._member["returns"] else []
        for i, (_name, by_ref, _optional, secret) in enumerate(params):
            if not by_ref or i >= len(after):
                continue
            # A password comes back as the caller's own object: no new copy.
            values.append(args_list[i] if secret else after[i])
        values = [_wrap(v, self._member["name"]) for v in values]
        if not values:
            return None
        if len(values) == 1:
            return values[0]
        return tuple(values)
