"""What a fresh interpreter sees: where the library is found, what is said
when it is not, and a clean exit with objects still alive."""

import ctypes.util
import os
import shutil
import textwrap
import unittest

import scratch

CREATE_SCHEDULE = textwrap.dedent("""
    import tarvelin
    schedule = tarvelin.Dispatch("OrvikCOM.ScheduleObject")
    schedule.Count = 2
    print(schedule.Count, tarvelin._library.library()._name)
""")

LOAD = textwrap.dedent("""
    import tarvelin
    try:
        tarvelin.Dispatch("OrvikCOM.ScheduleObject")
    except tarvelin.LibraryNotFoundError as error:
        print(error)
""")


def setUpModule():
    scratch.installation()


def package_copy(with_library):
    """The package alone in a scratch folder, with or without the library
    beside it."""
    folder = scratch.scratch_folder()
    shutil.copytree(os.path.join(scratch.PACKAGE_ROOT, "tarvelin"), os.path.join(folder, "tarvelin"),
                    ignore=shutil.ignore_patterns("__pycache__", "*.so"))
    if with_library:
        os.symlink(os.path.abspath(os.environ["TARVELIN_LIBRARY"]), os.path.join(folder, "tarvelin", "libtarvelinapi.so"))
    return folder


class LibraryLookupTest(unittest.TestCase):
    def test_the_named_library_is_used(self):
        result = scratch.run_python(CREATE_SCHEDULE)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.split(), ["2", os.environ["TARVELIN_LIBRARY"]])

    def test_a_library_beside_the_package_is_found_without_the_variable(self):
        folder = package_copy(with_library=True)
        code = "import sys; sys.path.insert(0, %r)\n" % folder + CREATE_SCHEDULE
        result = scratch.run_python(code, env={"TARVELIN_LIBRARY": None})
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.split(),
                         ["2", os.path.join(folder, "tarvelin", "libtarvelinapi.so")])

    def test_a_library_that_cannot_be_had_is_named_in_the_error(self):
        missing = os.path.join(scratch.scratch_folder(), "libtarvelinapi.so")
        not_ours = ctypes.util.find_library("z")
        cases = [
            ("a missing file", missing, [missing, "TARVELIN_LIBRARY"]),
            ("another library", not_ours, ["is not the tarvelin library", "TvCreateObject"]),
        ]
        for what, path, words in cases:
            with self.subTest(what):
                if path is None:
                    self.skipTest("no zlib on the library path")
                result = scratch.run_python(LOAD, env={"TARVELIN_LIBRARY": path})
                self.assertEqual(result.returncode, 0, result.stderr)
                for word in words:
                    self.assertIn(word, result.stdout)

    def test_without_any_library_the_error_says_where_it_looked(self):
        if ctypes.util.find_library("tarvelinapi"):
            self.skipTest("this system has libtarvelinapi.so installed")
        folder = package_copy(with_library=False)
        code = "import sys; sys.path.insert(0, %r)\n" % folder + LOAD
        result = scratch.run_python(code, env={"TARVELIN_LIBRARY": None, "LD_LIBRARY_PATH": None})
        self.assertEqual(result.returncode, 0, result.stderr)
        for word in ["libtarvelinapi.so not found", "$TARVELIN_LIBRARY is not set",
                     os.path.join(folder, "tarvelin", "libtarvelinapi.so"), "library path"]:
            self.assertIn(word, result.stdout)


class RegistrationTest(unittest.TestCase):
    def test_objects_are_created_only_while_the_classes_are_registered(self):
        code = textwrap.dedent("""
            import tarvelin

            def create():
                try:
                    return tarvelin.Dispatch("OrvikCOM.ScheduleObject").Count
                except tarvelin.AutomationError as error:
                    return "%x %s" % (error.code, error.message)

            print(create())
            tarvelin.register()
            print(create())
            tarvelin.unregister()
            print(create())
        """)
        registry = os.path.join(scratch.scratch_folder(), "registry.reg")
        result = scratch.run_python(code, env={"TARVELIN_REGISTRY": registry})
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.splitlines(),
                         ["80040154 Class not registered", "0", "80040154 Class not registered"])

    def test_a_registry_that_cannot_be_written_raises_with_the_reason(self):
        code = textwrap.dedent("""
            import tarvelin
            try:
                tarvelin.register()
            except tarvelin.AutomationError as error:
                print("%x" % error.code)
                print(error.message)
        """)
        # A folder where the file should be.
        registry = scratch.scratch_folder()
        result = scratch.run_python(code, env={"TARVELIN_REGISTRY": registry})
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = result.stdout.splitlines()
        self.assertEqual(lines[0], "80004005")
        self.assertTrue(lines[1])


class ShutdownTest(unittest.TestCase):
    def test_objects_alive_at_exit_end_quietly(self):
        code = textwrap.dedent("""
            import tarvelin
            kept = tarvelin.Dispatch("OrvikCOM.ScheduleObject")
            method = kept.Add

            class Cycle:
                pass

            cycle = Cycle()
            cycle.me = cycle
            cycle.schedule = tarvelin.Dispatch("QuorantServer.ScheduleObject")
            del cycle
            print("done")
        """)
        result = scratch.run_python(code)
        self.assertEqual((result.returncode, result.stdout, result.stderr), (0, "done\n", ""))


if __name__ == "__main__":
    unittest.main()
