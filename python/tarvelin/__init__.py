"""Scripts reach the tarvelin-admin library through its automation objects:

    import tarvelin
    tarvelin.register()          # once per machine (or per $TARVELIN_REGISTRY)
    api = tarvelin.Dispatch("OrvikCOM.APIObject")
    if api.Init("/srv/mail"):
        domain = api.OpenDomain("example.org")
        print(domain.GetAccountCount(), api.LastErr)

Members are found by name at run time (see Dispatch); properties read as
values, methods as callables; failures raise AutomationError. The library
libtarvelinapi.so is taken from $TARVELIN_LIBRARY, else from the package's
folder, else from the system's library path.
"""

from ._dispatch import Dispatch, Method
from ._errors import (
    E_BADPARAMCOUNT,
    E_CLASSNOTREG,
    E_FAIL,
    E_EXCEPTION,
    E_INVALIDARG,
    E_MEMBERNOTFOUND,
    E_TYPEMISMATCH,
    E_UNKNOWNNAME,
    AutomationError,
    UnknownNameError,
)
from ._library import LibraryNotFoundError
from ._registration import register, unregister

__all__ = [
    "Dispatch",
    "register",
    "unregister",
    "Method",
    "AutomationError",
    "UnknownNameError",
    "LibraryNotFoundError",
    "E_BADPARAMCOUNT",
    "E_CLASSNOTREG",
    "E_FAIL",
    "E_EXCEPTION",
    "E_INVALIDARG",
    "E_MEMBERNOTFOUND",
    "E_TYPEMISMATCH",
    "E_UNKNOWNNAME",
]
