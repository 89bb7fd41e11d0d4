"""The errors of automation calls.

`AutomationError.code` is the failing status as an unsigned 32-bit number
(0x80020009, as the constants below and the header's hex values read), and
`.message` the text: the member's own message for E_EXCEPTION and for a
failed creation, the platform's fixed text for every other status.
"""

E_FAIL = 0x80004005
E_MEMBERNOTFOUND = 0x80020003
E_TYPEMISMATCH = 0x80020005
E_UNKNOWNNAME = 0x80020006
E_EXCEPTION = 0x80020009
E_BADPARAMCOUNT = 0x8002000E
E_CLASSNOTREG = 0x80040154
E_INVALIDARG = 0x80070057

_FIXED_TEXTS = {
    E_FAIL: "Unspecified error",
    E_MEMBERNOTFOUND: "Member not found.",
    E_TYPEMISMATCH: "Type mismatch.",
    E_UNKNOWNNAME: "Unknown name.",
    E_EXCEPTION: "Exception occurred.",
    E_BADPARAMCOUNT: "Invalid number of parameters.",
    E_CLASSNOTREG: "Class not registered",
    E_INVALIDARG: "The parameter is incorrect.",
}

RELEASED_TEXT = "The object was released."


def unsigned(status):
    return status & 0xFFFFFFFF


def fixed_text(code):
    return _FIXED_TEXTS.get(code, "Automation call failed.")


class AutomationError(Exception):
    """A call, creation or property access that the library refused."""

    def __init__(self, code, message):
        super().__init__(code, message)
        self.code = code
        self.message = message

    def __str__(self):
        return "%s (0x%08X)" % (self.message, self.code)


class UnknownNameError(AutomationError, AttributeError):
    """No member of that name: an AttributeError too, so hasattr() and
    getattr() with a default work on automation objects."""

    def __init__(self, name):
        AutomationError.__init__(self, E_UNKNOWNNAME, fixed_text(E_UNKNOWNNAME))
        self.name = name

    def __str__(self):
        return "%s: %r (0x%08X)" % (self.message, self.name, self.code)
