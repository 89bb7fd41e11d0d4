"""Finds and loads libtarvelinapi.so and declares its automation ABI
(tarvelin/automation.h) for ctypes.

Where the library is looked for, first hit wins:
  1. the path in $TARVELIN_LIBRARY (no fallback when it is set but fails);
  2. libtarvelinapi.so in the package's own folder;
  3. the system's library path (ctypes.util.find_library, then the loader).
The library is loaded on first use, once per process.
"""

import ctypes
import ctypes.util
import os
import threading

LIBRARY_FILE = "libtarvelinapi.so"
LIBRARY_VARIABLE = "TARVELIN_LIBRARY"

# Variant types (TV_ values).
EMPTY, NULL, I2, I4, R8, DATE, TEXT, OBJECT, BOOL, UI1, I8 = 0, 1, 2, 3, 5, 7, 8, 9, 11, 17, 20

# Kinds of call, a bit set.
METHOD, PROPERTYGET, PROPERTYPUT = 1, 2, 4


class LibraryNotFoundError(OSError):
    """libtarvelinapi.so could not be found or is not the tarvelin library."""


class _Value(ctypes.Union):
    _fields_ = [
        ("i4", ctypes.c_int32),
        ("i8", ctypes.c_int64),
        ("r8", ctypes.c_double),
        ("boolean", ctypes.c_int16),
        ("ui1", ctypes.c_uint8),
        ("i2", ctypes.c_int16),
        # Raw pointers: the variant owns what they point at.
        ("text", ctypes.c_void_p),
        ("object", ctypes.c_void_p),
    ]


class TvVariant(ctypes.Structure):
    _fields_ = [("type", ctypes.c_uint16), ("u", _Value)]


_VARIANT_P = ctypes.POINTER(TvVariant)

_PROTOTYPES = {
    "TvCreateObject": (ctypes.c_int32, [ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p)]),
    "TvAddRef": (ctypes.c_int32, [ctypes.c_void_p]),
    "TvRelease": (ctypes.c_int32, [ctypes.c_void_p]),
    "TvGetDispId": (ctypes.c_int32, [ctypes.c_void_p, ctypes.c_char_p, ctypes.POINTER(ctypes.c_int32)]),
    "TvInvoke": (
        ctypes.c_int32,
        [ctypes.c_void_p, ctypes.c_int32, ctypes.c_int32, _VARIANT_P, ctypes.c_int32, _VARIANT_P],
    ),
    "TvLastErrorText": (ctypes.c_char_p, []),
    "TvVariantInit": (None, [_VARIANT_P]),
    "TvVariantClear": (None, [_VARIANT_P]),
    "DllRegisterServer": (ctypes.c_int32, []),
    "DllUnregisterServer": (ctypes.c_int32, []),
}

_lock = threading.Lock()
_loaded = None


def beside_package():
    """The library file that may lie in the package's own folder."""
    return os.path.join(os.path.dirname(os.path.abspath(__file__)), LIBRARY_FILE)


def _declared(library, where):
    for name, (restype, argtypes) in _PROTOTYPES.items():
        try:
            function = getattr(library, name)
        except AttributeError:
            raise LibraryNotFoundError(
                "%s is not the tarvelin library: it lacks %s" % (where, name)) from None
        function.restype = restype
        function.argtypes = argtypes
    return library


def _open(path, what):
    try:
        return _declared(ctypes.CDLL(path), path)
    except OSError as error:
        if isinstance(error, LibraryNotFoundError):
            raise
        raise LibraryNotFoundError("cannot load %s (%s): %s" % (path, what, error)) from None


def _find():
    named = os.environ.get(LIBRARY_VARIABLE)
    if named:
        return _open(named, "named by $" + LIBRARY_VARIABLE)
    beside = beside_package()
    if os.path.exists(beside):
        return _open(beside, "beside the package")
    found = ctypes.util.find_library("tarvelinapi")
    try:
        return _declared(ctypes.CDLL(found or LIBRARY_FILE), found or LIBRARY_FILE)
    except LibraryNotFoundError:
        raise
    except OSError:
        raise LibraryNotFoundError(
            "%s not found: $%s is not set, %s does not exist, and the system's library "
            "path has none; set %s to the library's path"
            % (LIBRARY_FILE, LIBRARY_VARIABLE, beside, LIBRARY_VARIABLE)) from None


def library():
    """The loaded library, its functions declared; loads it on first use."""
    global _loaded
    if _loaded is None:
        with _lock:
            if _loaded is None:
                _loaded = _find()
    return _loaded
