"""Every ```python example of docs/python.md runs, in a fresh folder."""
import os
import pathlib
import re
import subprocess
import sys

import pytest

import corvane

DOC = pathlib.Path(__file__).resolve().parents[2] / "docs" / "python.md"
EXAMPLES = re.findall(r"^```python\n(.*?)^```", DOC.read_text(), re.S | re.M)


@pytest.mark.parametrize("index", range(len(EXAMPLES)))
def test_example_runs(index, tmp_path):
    source = EXAMPLES[index]
    package = str(pathlib.Path(corvane.__file__).resolve().parents[1])
    env = dict(os.environ, CORVANE_SIMULATE=str(tmp_path / "state.json"),
               PYTHONPATH=package)
    command = [sys.executable, "-c", source]
    if "win32com" in source:
        (tmp_path / "script.py").write_text(source)
        command = [sys.executable, "-m", "corvane.pywin32", "script.py"]
    done = subprocess.run(command, cwd=tmp_path, env=env,
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    assert done.stderr == ""
