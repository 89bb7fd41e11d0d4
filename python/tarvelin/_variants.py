"""Python values to TvVariant arguments and TvVariant results to Python
values.

Arguments: None -> EMPTY; bool -> BOOL (-1/0; tested before int); int ->
I4 when it fits 32 bits, else I8 (beyond 64 bits: OverflowError); float ->
R8; str -> TEXT (UTF-8; a NUL character cannot cross: ValueError); a
Dispatch -> OBJECT, borrowed for the call. Anything else: TypeError.

Results: EMPTY/NULL -> None; I2/I4/I8/UI1 -> int; R8/DATE -> float (a
date as days since 1899-12-30); BOOL -> bool; TEXT -> str; OBJECT -> a
Dispatch holding its own reference (None for a null object).
"""

import ctypes

from . import _library as abi
from ._errors import RELEASED_TEXT, E_INVALIDARG, E_TYPEMISMATCH, AutomationError, fixed_text

_I4_MIN, _I4_MAX = -(2 ** 31), 2 ** 31 - 1
_I8_MIN, _I8_MAX = -(2 ** 63), 2 ** 63 - 1


def put_argument(value, out, keep):
    """Fills the TvVariant `out` from `value`; `keep` holds buffers that must
    outlive the call."""
    if value is None:
        out.type = abi.EMPTY
    elif value is True or value is False:
        out.type = abi.BOOL
        out.u.boolean = -1 if value else 0
    elif isinstance(value, int):
        if _I4_MIN <= value <= _I4_MAX:
            out.type = abi.I4
            out.u.i4 = value
        elif _I8_MIN <= value <= _I8_MAX:
            out.type = abi.I8
            out.u.i8 = value
        else:
            raise OverflowError("%d does not fit an automation integer (64 bits)" % value)
    elif isinstance(value, float):
        out.type = abi.R8
        out.u.r8 = value
    elif isinstance(value, str):
        if "\0" in value:
            raise ValueError("a text argument cannot hold a NUL character")
        buffer = ctypes.create_string_buffer(value.encode("utf-8"))
        keep.append(buffer)
        out.type = abi.TEXT
        out.u.text = ctypes.addressof(buffer)
    else:
        from ._dispatch import Dispatch, handle_of

        if not isinstance(value, Dispatch):
            raise TypeError("cannot pass %s to an automation member" % type(value).__name__)
        out.type = abi.OBJECT
        out.u.object = handle_of(value)


def take_result(variant, lib):
    """The Python value of a result variant; clears the variant."""
    try:
        kind = variant.type
        if kind == abi.I4:
            return variant.u.i4
        if kind == abi.TEXT:
            address = variant.u.text
            return ctypes.string_at(address).decode("utf-8", "replace") if address else ""
        if kind == abi.BOOL:
            return variant.u.boolean != 0
        if kind in (abi.EMPTY, abi.NULL):
            return None
        if kind == abi.OBJECT:
            handle = variant.u.object
            if not handle:
                return None
            from ._dispatch import Dispatch

            # The wrapper takes a reference of its own; the clear below
            # drops the variant's.
            if lib.TvAddRef(handle) == 0:
                raise AutomationError(E_INVALIDARG, RELEASED_TEXT)
            return Dispatch._adopt(handle)
        if kind in (abi.R8, abi.DATE):
            return variant.u.r8
        if kind == abi.I8:
            return variant.u.i8
        if kind == abi.I2:
            return variant.u.i2
        if kind == abi.UI1:
            return variant.u.ui1
        raise AutomationError(E_TYPEMISMATCH, fixed_text(E_TYPEMISMATCH))
    finally:
        lib.TvVariantClear(ctypes.byref(variant))
