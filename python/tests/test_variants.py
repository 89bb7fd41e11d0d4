"""Python values to argument variants and result variants to Python
values, at the edges of their ranges."""

import ctypes
import unittest

import scratch

import tarvelin
from tarvelin import _library as abi
from tarvelin._variants import put_argument, take_result


def setUpModule():
    scratch.installation()


def argument(value):
    variant = abi.TvVariant()
    keep = []
    put_argument(value, variant, keep)
    return variant, keep


class ArgumentTest(unittest.TestCase):
    def test_values_take_the_narrowest_fitting_type(self):
        cases = [
            (None, abi.EMPTY, None, None),
            (True, abi.BOOL, "boolean", -1),
            (False, abi.BOOL, "boolean", 0),
            (0, abi.I4, "i4", 0),
            (2 ** 31 - 1, abi.I4, "i4", 2 ** 31 - 1),
            (-(2 ** 31), abi.I4, "i4", -(2 ** 31)),
            (2 ** 31, abi.I8, "i8", 2 ** 31),
            (-(2 ** 31) - 1, abi.I8, "i8", -(2 ** 31) - 1),
            (2 ** 63 - 1, abi.I8, "i8", 2 ** 63 - 1),
            (-(2 ** 63), abi.I8, "i8", -(2 ** 63)),
            (1.5, abi.R8, "r8", 1.5),
        ]
        for value, kind, field, expected in cases:
            with self.subTest(value=value):
                variant, _ = argument(value)
                self.assertEqual(variant.type, kind)
                if field:
                    self.assertEqual(getattr(variant.u, field), expected)

    def test_texts_cross_as_utf8(self):
        variant, keep = argument("Jürgen €")
        self.assertEqual(variant.type, abi.TEXT)
        self.assertEqual(ctypes.string_at(variant.u.text), "Jürgen €".encode("utf-8"))
        self.assertTrue(keep)

    def test_an_object_crosses_as_its_handle(self):
        schedule = tarvelin.Dispatch("OrvikCOM.ScheduleObject")
        variant, _ = argument(schedule)
        self.assertEqual((variant.type, variant.u.object), (abi.OBJECT, schedule._handle))

    def test_values_that_cannot_cross_are_refused(self):
        cases = [
            (2 ** 63, OverflowError),
            (-(2 ** 63) - 1, OverflowError),
            ("a\0b", ValueError),
            ([1], TypeError),
            (b"bytes", TypeError),
            (object(), TypeError),
        ]
        for value, error in cases:
            with self.subTest(value=value):
                with self.assertRaises(error):
                    argument(value)


class ResultTest(unittest.TestCase):
    def test_each_type_becomes_its_python_value(self):
        cases = [
            (abi.EMPTY, None, None, None),
            (abi.NULL, None, None, None),
            (abi.I2, "i2", -7, -7),
            (abi.I4, "i4", -(2 ** 31), -(2 ** 31)),
            (abi.I8, "i8", 2 ** 40, 2 ** 40),
            (abi.UI1, "ui1", 255, 255),
            (abi.R8, "r8", 2.25, 2.25),
            (abi.DATE, "r8", 45000.5, 45000.5),
            (abi.BOOL, "boolean", -1, True),
            (abi.BOOL, "boolean", 0, False),
            (abi.OBJECT, "object", None, None),
        ]
        lib = abi.library()
        for kind, field, raw, expected in cases:
            with self.subTest(kind=kind, raw=raw):
                variant = abi.TvVariant()
                variant.type = kind
                if field:
                    setattr(variant.u, field, raw)
                value = take_result(variant, lib)
                self.assertEqual(value, expected)
                self.assertIs(type(value), type(expected))
                self.assertEqual(variant.type, abi.EMPTY)

    def test_texts_come_back_from_utf8(self):
        # The variant owns its text and the clear frees it: give it a copy
        # from the C heap.
        libc = ctypes.CDLL(None)
        libc.strdup.restype = ctypes.c_void_p
        libc.strdup.argtypes = [ctypes.c_char_p]
        cases = [("Jürgen €".encode("utf-8"), "Jürgen €"), (b"", ""), (b"a\xffb", "a\ufffdb")]
        for raw, expected in cases:
            with self.subTest(raw=raw):
                variant = abi.TvVariant()
                variant.type = abi.TEXT
                variant.u.text = libc.strdup(raw)
                self.assertEqual(take_result(variant, abi.library()), expected)
                self.assertEqual(variant.type, abi.EMPTY)

    def test_an_object_result_becomes_a_dispatch_with_its_own_reference(self):
        lib = abi.library()
        schedule = tarvelin.Dispatch("OrvikCOM.ScheduleObject")
        handle = schedule._handle
        # The variant owns a reference of its own, as a result does.
        self.assertEqual(lib.TvAddRef(handle), 2)
        variant = abi.TvVariant()
        variant.type = abi.OBJECT
        variant.u.object = handle
        same = take_result(variant, lib)
        self.assertIsInstance(same, tarvelin.Dispatch)
        same.Count = 4
        self.assertEqual(schedule.Count, 4)
        del schedule
        self.assertEqual(same.Count, 4)
        self.assertEqual(lib.TvAddRef(handle), 2)
        self.assertEqual(lib.TvRelease(handle), 1)

    def test_an_unknown_type_is_a_type_mismatch(self):
        variant = abi.TvVariant()
        variant.type = 99
        with self.assertRaises(tarvelin.AutomationError) as raised:
            take_result(variant, abi.library())
        self.assertEqual(raised.exception.code, tarvelin.E_TYPEMISMATCH)


if __name__ == "__main__":
    unittest.main()
