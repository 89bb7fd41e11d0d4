"""The package builds into a wheel that holds the whole package and works
from wherever it is unpacked."""

import glob
import os
import shutil
import subprocess
import sys
import unittest
import zipfile

import scratch

BUILD_TOOLS = "import setuptools, wheel"


def builder():
    """An interpreter that can build the wheel without fetching anything."""
    for python in (sys.executable, "/usr/bin/python3"):
        if os.path.exists(python) and subprocess.run(
                [python, "-c", BUILD_TOOLS], capture_output=True,
                timeout=scratch.SUBPROCESS_SECONDS).returncode == 0:
            return python
    return None


class WheelTest(unittest.TestCase):
    def test_the_wheel_holds_the_package_and_runs_from_where_it_is_unpacked(self):
        python = builder()
        if python is None:
            self.skipTest("no interpreter here has setuptools and wheel to build with")
        folder = scratch.scratch_folder()
        # Built from a copy: a build leaves its files in the source folder.
        source = os.path.join(folder, "source")
        shutil.copytree(scratch.PACKAGE_ROOT, source,
                        ignore=shutil.ignore_patterns("tests", "__pycache__", "build", "*.egg-info"))
        wheels = os.path.join(folder, "wheels")
        built = subprocess.run(
            [python, "-m", "pip", "wheel", "--no-build-isolation", "--no-deps", "--no-index",
             "-q", "-w", wheels, source],
            capture_output=True, text=True, timeout=scratch.SUBPROCESS_SECONDS * 2)
        self.assertEqual(built.returncode, 0, built.stdout + built.stderr)
        [wheel] = glob.glob(os.path.join(wheels, "tarvelin-*.whl"))
        with zipfile.ZipFile(wheel) as archive:
            names = set(archive.namelist())
            expected = {"tarvelin/" + name for name in os.listdir(os.path.join(scratch.PACKAGE_ROOT, "tarvelin"))
                        if name.endswith(".py")}
            self.assertLessEqual(expected, names)
            unpacked = os.path.join(folder, "unpacked")
            archive.extractall(unpacked)
        code = ("import sys; sys.path.insert(0, %r)\n"
                "import tarvelin\n"
                "print(tarvelin.__file__)\n"
                "print(tarvelin.Dispatch('OrvikCOM.ScheduleObject').Count)\n" % unpacked)
        scratch.installation()
        result = scratch.run_python(code)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.split(),
                         [os.path.join(unpacked, "tarvelin", "__init__.py"), "0"])


if __name__ == "__main__":
    unittest.main()
