"""The package's type stubs name every public name of the package, with
the parameters it takes (mypy's stubtest against the imported package)."""

import os
import pathlib
import subprocess
import sys

import corvane


def test_the_stubs_match_the_package(tmp_path):
    # The extension is private and typed loosely on purpose.
    allowlist = tmp_path / "allowlist"
    allowlist.write_text("corvane\\._corvane\\..*\n")
    package_root = pathlib.Path(corvane.__file__).parent.parent
    env = dict(os.environ, PYTHONPATH=str(package_root))
    run = subprocess.run(
        [sys.executable, "-m", "mypy.stubtest", "--allowlist",
         str(allowlist), "corvane"],
        cwd=tmp_path, env=env, capture_output=True, text=True, check=False)
    assert run.returncode == 0, run.stdout + run.stderr
