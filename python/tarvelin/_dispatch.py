"""Dispatch: an automation object whose members are found by name at run
time.

Reading an attribute:
  * a property (a member that answers a plain property get with no
    arguments: LastErr, Count, Name, ...) gives its current value;
  * a method gives a callable; reading never runs a method, so `obj.Save`
    is the method and `obj.Save()` saves.
The first read of a name asks the library with TV_PROPERTYGET alone; a
method answers "Member not found." (or "Invalid number of parameters." for
a property that needs arguments), and the name is remembered as a method.
Names are resolved once per object (TvGetDispId, any case) and cached.
Assigning an attribute is a property put. Names beginning with "_" are
Python's own and never reach the library. An unknown name raises
UnknownNameError, an AttributeError.

Each Dispatch holds one reference, released when the Python object goes
(or on leaving a `with` block, after which every use raises
AutomationError E_INVALIDARG "The object was released.").
"""

import ctypes
import sys

from . import _library as abi
from ._errors import (
    E_BADPARAMCOUNT,
    E_CLASSNOTREG,
    E_EXCEPTION,
    E_INVALIDARG,
    E_MEMBERNOTFOUND,
    E_UNKNOWNNAME,
    RELEASED_TEXT,
    AutomationError,
    UnknownNameError,
    fixed_text,
    unsigned,
)
from ._variants import put_argument, take_result

_METHOD_CALL = abi.METHOD | abi.PROPERTYGET
# How a method answers a plain property get.
_NOT_A_PROPERTY = (E_MEMBERNOTFOUND, E_BADPARAMCOUNT)


def _failure(status, lib, with_text=False):
    code = unsigned(status)
    if with_text or code == E_EXCEPTION:
        text = lib.TvLastErrorText()
        message = text.decode("utf-8", "replace") if text else ""
        return AutomationError(code, message or fixed_text(code))
    return AutomationError(code, fixed_text(code))


def _encoded(text, what):
    if not isinstance(text, str):
        raise TypeError("%s must be a str, not %s" % (what, type(text).__name__))
    if "\0" in text:
        raise ValueError("%s cannot hold a NUL character" % what)
    return text.encode("utf-8")


def handle_of(obj):
    """The live handle of a Dispatch; raises when it was released."""
    handle = obj._handle
    if not handle:
        raise AutomationError(E_INVALIDARG, RELEASED_TEXT)
    return handle


class Method:
    """A method of one automation object, called with positional arguments."""

    __slots__ = ("_owner", "_dispid", "_name")

    def __init__(self, owner, dispid, name):
        self._owner = owner
        self._dispid = dispid
        self._name = name

    def __call__(self, *args, **keywords):
        if keywords:
            raise TypeError("%s takes positional arguments only" % self._name)
        return self._owner._invoke(self._dispid, _METHOD_CALL, args)

    def __repr__(self):
        return "<method %s of %r>" % (self._name, self._owner)


class Dispatch:
    """An automation object: Dispatch("OrvikCOM.APIObject") creates one by
    class name ("OrvikCOM.X" or "QuorantServer.X", any case)."""

    __slots__ = ("_handle", "_lib", "_members", "_class_name", "__weakref__")

    def __init__(self, class_name):
        object.__setattr__(self, "_handle", None)
        lib = abi.library()
        name = _encoded(class_name, "a class name")
        out = ctypes.c_void_p()
        status = lib.TvCreateObject(name, ctypes.byref(out))
        if status:
            raise _failure(status, lib, with_text=True)
        if not out.value:
            raise AutomationError(E_CLASSNOTREG, fixed_text(E_CLASSNOTREG))
        self._attach(lib, out.value, class_name)

    @classmethod
    def _adopt(cls, handle):
        """Wraps a handle whose reference the new object takes over."""
        self = cls.__new__(cls)
        self._attach(abi.library(), handle, None)
        return self

    def _attach(self, lib, handle, class_name):
        set_slot = object.__setattr__
        set_slot(self, "_lib", lib)
        set_slot(self, "_members", {})
        set_slot(self, "_class_name", class_name)
        set_slot(self, "_handle", handle)

    # -- members ---------------------------------------------------------

    def _member(self, name):
        """[dispid, is_method] of a name; is_method is None until known."""
        key = name.lower()
        entry = self._members.get(key)
        if entry is None:
            handle = handle_of(self)
            dispid = ctypes.c_int32()
            status = self._lib.TvGetDispId(handle, _encoded(name, "a member name"), ctypes.byref(dispid))
            if status:
                if unsigned(status) == E_UNKNOWNNAME:
                    raise UnknownNameError(name)
                raise _failure(status, self._lib)
            entry = [dispid.value, None]
            self._members[key] = entry
        return entry

    def _call(self, dispid, kind, args, want_result=True):
        """(status, value) of one TvInvoke."""
        handle = handle_of(self)
        count = len(args)
        keep = []
        array = None
        if count:
            array = (abi.TvVariant * count)()
            for i, value in enumerate(args):
                put_argument(value, array[i], keep)
        lib = self._lib
        if not want_result:
            return lib.TvInvoke(handle, dispid, kind, array, count, None), None
        result = abi.TvVariant()
        status = lib.TvInvoke(handle, dispid, kind, array, count, ctypes.byref(result))
        if status:
            return status, None
        return 0, take_result(result, lib)

    def _invoke(self, dispid, kind, args):
        status, value = self._call(dispid, kind, args)
        if status:
            raise _failure(status, self._lib)
        return value

    def __getattr__(self, name):
        # Only reached for names that are not Python attributes of the class.
        if name.startswith("_"):
            raise AttributeError(name)
        entry = self._member(name)
        if not entry[1]:
            status, value = self._call(entry[0], abi.PROPERTYGET, ())
            if not status:
                entry[1] = False
                return value
            if unsigned(status) not in _NOT_A_PROPERTY:
                raise _failure(status, self._lib)
            entry[1] = True
        return Method(self, entry[0], name)

    def __setattr__(self, name, value):
        if name.startswith("_"):
            object.__setattr__(self, name, value)
            return
        entry = self._member(name)
        status, _ = self._call(entry[0], abi.PROPERTYPUT, (value,), want_result=False)
        if status:
            raise _failure(status, self._lib)

    # -- lifetime --------------------------------------------------------

    def _release(self):
        handle = self._handle
        if handle:
            object.__setattr__(self, "_handle", None)
            self._lib.TvRelease(handle)

    def __enter__(self):
        return self

    def __exit__(self, *exc_info):
        self._release()

    def __del__(self, _finalizing=sys.is_finalizing):
        # At interpreter shutdown the library may be half torn down: the
        # process is ending, so the objects simply go with it.
        try:
            if not _finalizing():
                self._release()
        except Exception:
            pass

    def __repr__(self):
        what = self._class_name or "object"
        if not self._handle:
            return "<tarvelin.Dispatch %s, released>" % what
        return "<tarvelin.Dispatch %s at 0x%x>" % (what, self._handle)
