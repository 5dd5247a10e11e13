"""Fixtures of the module's tests: the shipped examples, the batch-mode executable of the
same build, and fresh sessions."""

import os
import pathlib
import shutil
import subprocess

import pytest

import dodavev

SOURCE_DIR = pathlib.Path(
    os.environ.get("DODAVEV_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
EXAMPLES = SOURCE_DIR / "examples"


@pytest.fixture
def session():
    return dodavev.Session()


@pytest.fixture
def examples(tmp_path):
    """A scratch copy of the shipped example files (parameter, layer and batch files)."""
    work = tmp_path / "examples"
    work.mkdir()
    for f in EXAMPLES.iterdir():
        if f.is_file():
            shutil.copy(f, work / f.name)
    return work


@pytest.fixture
def batch(examples):
    """Runs one BatchFile record with the program's batch mode in the examples' copy and
    returns the folder it wrote into."""
    exe = os.environ.get("DODAVEV_EXE")
    if not exe:
        pytest.skip("DODAVEV_EXE names no executable of this build")

    def run(parameters, sample, absorber, calculation, output):
        bat = examples / "record.bat"
        bat.write_text("\n".join([parameters, sample, absorber, calculation, output]) + "\n")
        done = subprocess.run([exe, str(bat)], cwd=examples, capture_output=True, text=True,
                              timeout=600)
        assert done.returncode == 0, done.stderr
        return examples

    return run
