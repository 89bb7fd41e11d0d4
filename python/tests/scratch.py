"""What the package's tests share: the built library and CLI, one scratch
installation per test process, and fresh Python processes for the tests
that need a library state of their own.

Under CTest the environment names the built files ($TARVELIN_LIBRARY,
$TARVELIN_ADMIN); run by hand, the repository's build/ folder is used.
"""

import atexit
import os
import shutil
import subprocess
import sys
import tempfile

TESTS = os.path.dirname(os.path.abspath(__file__))
PACKAGE_ROOT = os.path.dirname(TESTS)
REPOSITORY = os.path.dirname(PACKAGE_ROOT)
BUILD = os.path.join(REPOSITORY, "build")

if PACKAGE_ROOT not in sys.path:
    sys.path.insert(0, PACKAGE_ROOT)
os.environ.setdefault("TARVELIN_LIBRARY", os.path.join(BUILD, "libtarvelinapi.so"))

# Every child process must end well within a test's time.
SUBPROCESS_SECONDS = 60

_installation = None


def admin_program():
    return os.environ.get("TARVELIN_ADMIN") or os.path.join(BUILD, "tools", "tarvelin-admin")


def scratch_folder():
    """A new folder that is removed when the test process ends."""
    folder = tempfile.mkdtemp(prefix="tarvelin-python-")
    atexit.register(shutil.rmtree, folder, True)
    return folder


def create_installation(folder, domains=("example.org", "other.org")):
    command = [admin_program(), "create", "--install-dir", folder]
    for domain in domains:
        command += ["--domain", domain]
    subprocess.run(command, check=True, capture_output=True, timeout=SUBPROCESS_SECONDS)
    return folder


def installation():
    """The installation the objects of this process initialise with: made
    once, before the first object is created, with example.org and
    other.org; the classes registered in a scratch registry that the
    child processes share."""
    global _installation
    if _installation is None:
        folder = scratch_folder()
        _installation = create_installation(os.path.join(folder, "installation"))
        os.environ["TARVELIN_INSTALL_DIR"] = _installation
        os.environ["TARVELIN_REGISTRY"] = os.path.join(folder, "registry.reg")
        import tarvelin

        tarvelin.register()
    return _installation


def run_python(code, env=None, cwd=None):
    """Runs `code` in a fresh interpreter that imports the package from the
    source tree; `env` entries replace the current ones (None removes)."""
    environment = dict(os.environ)
    environment["PYTHONPATH"] = PACKAGE_ROOT
    for name, value in (env or {}).items():
        if value is None:
            environment.pop(name, None)
        else:
            environment[name] = value
    return subprocess.run([sys.executable, "-c", code], env=environment, cwd=cwd,
                          capture_output=True, text=True, timeout=SUBPROCESS_SECONDS)
