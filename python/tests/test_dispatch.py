"""Dispatch against the schedule object: creation by name, properties as
values and methods as callables, property puts, failures, and the
reference an object holds."""

import unittest

import scratch

import tarvelin
from tarvelin import _library


def setUpModule():
    scratch.installation()


def references(handle):
    """The reference count of a live object; 0 once it is gone."""
    lib = _library.library()
    count = lib.TvAddRef(handle)
    if count:
        lib.TvRelease(handle)
        return count - 1
    return 0


class CreationTest(unittest.TestCase):
    def test_both_class_names_in_any_case_create_the_object(self):
        for name in ("OrvikCOM.ScheduleObject", "QuorantServer.ScheduleObject",
                     "orvikcom.scheduleobject", "QUORANTSERVER.SCHEDULEOBJECT"):
            with self.subTest(name=name):
                schedule = tarvelin.Dispatch(name)
                self.assertEqual(schedule.Count, 0)
                self.assertIn(name, repr(schedule))

    def test_unknown_classes_raise_class_not_registered(self):
        for name in ("OrvikCOM.ServiceObject", "Nothing.Here", "", "OrvikCOM."):
            with self.subTest(name=name):
                with self.assertRaises(tarvelin.AutomationError) as raised:
                    tarvelin.Dispatch(name)
                self.assertEqual(raised.exception.code, tarvelin.E_CLASSNOTREG)
                self.assertEqual(raised.exception.message, "Class not registered")

    def test_class_names_that_cannot_cross_are_refused_before_the_library(self):
        for name, error in (("OrvikCOM.ScheduleObject\0trailing", ValueError),
                            (None, TypeError), (b"OrvikCOM.ScheduleObject", TypeError)):
            with self.subTest(name=name):
                with self.assertRaises(error):
                    tarvelin.Dispatch(name)
        schedule = tarvelin.Dispatch("OrvikCOM.ScheduleObject")
        with self.assertRaises(ValueError):
            getattr(schedule, "Count\0Add")


class MemberTest(unittest.TestCase):
    def setUp(self):
        self.schedule = tarvelin.Dispatch("OrvikCOM.ScheduleObject")

    def test_properties_read_as_values_in_any_case(self):
        self.schedule.Count = 2
        for name in ("Count", "count", "COUNT"):
            with self.subTest(name=name):
                self.assertEqual(getattr(self.schedule, name), 2)
        self.assertEqual(self.schedule.LastErr, 0)
        self.assertIsInstance(self.schedule.Data, int)

    def test_reading_a_method_gives_a_callable_and_does_not_run_it(self):
        add = self.schedule.Add
        self.assertIsInstance(add, tarvelin.Method)
        self.assertEqual(self.schedule.Count, 0)
        self.assertIs(add(), False)
        self.assertEqual(self.schedule.Count, 1)
        # Known as a method from now on: still a callable, still not run.
        self.assertIsInstance(self.schedule.add, tarvelin.Method)
        self.assertEqual(self.schedule.Count, 1)

    def test_methods_take_arguments_and_give_typed_results(self):
        self.schedule.Count = 3
        self.schedule.Select(2)
        self.assertIs(self.schedule.SetProperty("SC_ItemTime", 7200), True)
        self.assertEqual(self.schedule.GetProperty("SC_ItemTime"), 7200)
        self.assertEqual(self.schedule.GetProperty(10), 7200)
        self.schedule.Select(0)
        self.assertEqual(self.schedule.GetProperty("sc_itemtime"), 0)
        self.assertIsInstance(self.schedule.GetProperty("SC_Record"), str)

    def test_property_puts_convert_their_value_as_the_member_declares(self):
        cases = [(3, 3), ("5", 5), (9, 5), (-1, 5), (0, 0)]
        for value, count in cases:
            with self.subTest(value=value):
                self.schedule.Count = value
                self.assertEqual(self.schedule.Count, count)

    def test_python_attributes_stay_python_attributes(self):
        with self.assertRaises(AttributeError) as raised:
            self.schedule._nothing
        self.assertNotIsInstance(raised.exception, tarvelin.AutomationError)
        with self.assertRaises(AttributeError):
            self.schedule._nothing = 1


class FailureTest(unittest.TestCase):
    def setUp(self):
        self.schedule = tarvelin.Dispatch("OrvikCOM.ScheduleObject")

    def test_unknown_names_are_attribute_errors_and_automation_errors(self):
        with self.assertRaises(tarvelin.UnknownNameError) as raised:
            self.schedule.Nothing
        error = raised.exception
        self.assertIsInstance(error, AttributeError)
        self.assertIsInstance(error, tarvelin.AutomationError)
        self.assertEqual((error.code, error.message, error.name),
                         (tarvelin.E_UNKNOWNNAME, "Unknown name.", "Nothing"))
        self.assertFalse(hasattr(self.schedule, "Nothing"))
        self.assertIsNone(getattr(self.schedule, "Nothing", None))
        with self.assertRaises(tarvelin.UnknownNameError):
            self.schedule.Nothing = 1

    def test_failing_calls_raise_the_status_and_its_message(self):
        s = self.schedule
        cases = [
            ("no argument for Select", lambda: s.Select(),
             tarvelin.E_BADPARAMCOUNT, "Invalid number of parameters."),
            ("two arguments for Select", lambda: s.Select(1, 2),
             tarvelin.E_BADPARAMCOUNT, "Invalid number of parameters."),
            ("a text for an integer", lambda: s.Select("one"),
             tarvelin.E_TYPEMISMATCH, "Type mismatch."),
            ("a put of a read-only property", lambda: setattr(s, "LastErr", 1),
             tarvelin.E_MEMBERNOTFOUND, "Member not found."),
            ("a put of a method", lambda: setattr(s, "Add", 1),
             tarvelin.E_MEMBERNOTFOUND, "Member not found."),
            ("the member's own error", lambda: s.GetProperty("No_Such"),
             tarvelin.E_EXCEPTION, "Property no_such not found"),
            ("an unlisted number", lambda: s.SetProperty(99999, 1),
             tarvelin.E_EXCEPTION, "Property 99999 not found"),
        ]
        for what, call, code, message in cases:
            with self.subTest(what):
                with self.assertRaises(tarvelin.AutomationError) as raised:
                    call()
                self.assertEqual((raised.exception.code, raised.exception.message), (code, message))
                self.assertIn("0x%08X" % code, str(raised.exception))

    def test_a_failed_call_leaves_last_err_as_it_was(self):
        self.schedule.GetProperty("SC_ItemTime")
        with self.assertRaises(tarvelin.AutomationError):
            self.schedule.GetProperty("No_Such")
        self.assertEqual(self.schedule.LastErr, 0)

    def test_keyword_arguments_are_refused(self):
        with self.assertRaises(TypeError):
            self.schedule.Select(index=1)


class ObjectResultTest(unittest.TestCase):
    def test_objects_come_back_as_dispatch_objects_and_go_back_as_arguments(self):
        remote = tarvelin.Dispatch("OrvikCOM.RemoteAccountObject")
        schedule = remote.GetSchedule("RA_Schedule")
        self.assertIsInstance(schedule, tarvelin.Dispatch)
        self.assertEqual(references(schedule._handle), 1)
        schedule.Count = 2
        schedule.Select(1)
        schedule.SetProperty("SC_ItemTime", 3600)
        self.assertIs(remote.SetSchedule("RA_Schedule", schedule), True)
        self.assertEqual(references(schedule._handle), 1)
        copy = remote.GetSchedule("ra_schedule")
        self.assertNotEqual(copy._handle, schedule._handle)
        self.assertEqual(copy.Count, 2)
        copy.Select(1)
        self.assertEqual(copy.GetProperty("SC_ItemTime"), 3600)

    def test_an_empty_result_is_none(self):
        remote = tarvelin.Dispatch("OrvikCOM.RemoteAccountObject")
        # Not a schedule block: no schedule object.
        self.assertIsNone(remote.GetSchedule("RA_Login"))


class LifetimeTest(unittest.TestCase):
    def test_an_object_lives_as_long_as_its_python_object(self):
        schedule = tarvelin.Dispatch("OrvikCOM.ScheduleObject")
        handle = schedule._handle
        self.assertEqual(references(handle), 1)
        add = schedule.Add
        del schedule
        # The bound method keeps its object.
        self.assertEqual(references(handle), 1)
        self.assertIs(add(), False)
        del add
        self.assertEqual(references(handle), 0)

    def test_an_object_passed_as_an_argument_is_only_borrowed(self):
        schedule = tarvelin.Dispatch("OrvikCOM.ScheduleObject")
        other = tarvelin.Dispatch("OrvikCOM.ScheduleObject")
        # An object does not convert to a number: the setting takes 0.
        self.assertIs(schedule.SetProperty("SC_ItemTime", other), True)
        self.assertEqual(references(other._handle), 1)
        self.assertEqual(references(schedule._handle), 1)

    def test_leaving_a_with_block_releases_the_object(self):
        with tarvelin.Dispatch("OrvikCOM.ScheduleObject") as schedule:
            handle = schedule._handle
            add = schedule.Add
        self.assertEqual(references(handle), 0)
        self.assertIn("released", repr(schedule))
        other = tarvelin.Dispatch("OrvikCOM.ScheduleObject")
        uses = [
            ("a property", lambda: schedule.Count),
            ("a known method", add),
            ("a put", lambda: setattr(schedule, "Count", 1)),
            ("an argument", lambda: other.SetProperty("SC_ItemTime", schedule)),
        ]
        for what, use in uses:
            with self.subTest(what):
                with self.assertRaises(tarvelin.AutomationError) as raised:
                    use()
                self.assertEqual((raised.exception.code, raised.exception.message),
                                 (tarvelin.E_INVALIDARG, "The object was released."))


if __name__ == "__main__":
    unittest.main()
