"""Registration of the automation classes in the object registry, the
".reg" file at $TARVELIN_REGISTRY (else /etc/tarvelin/registry.reg as root,
else ~/.config/tarvelin/registry.reg): objects are created by class name
only once the library is registered."""

from . import _library as abi
from ._errors import AutomationError, fixed_text, unsigned


def _registered(call):
    lib = abi.library()
    status = call(lib)
    if status:
        code = unsigned(status)
        text = lib.TvLastErrorText()
        raise AutomationError(code, (text.decode("utf-8", "replace") if text else "") or fixed_text(code))


def register():
    """Registers every class (DllRegisterServer); raises AutomationError
    when the registry cannot be written."""
    _registered(lambda lib: lib.DllRegisterServer())


def unregister():
    """Removes the classes from the registry (DllUnregisterServer)."""
    _registered(lambda lib: lib.DllUnregisterServer())
