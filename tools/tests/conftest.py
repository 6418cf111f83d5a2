"""Shared fixtures of the thermocrack-plot tests: the tool as a module and job folders to read."""

import importlib.machinery
import importlib.util
import shutil
import sys
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]
TOOL = REPO / "tools" / "thermocrack-plot"
sys.path.insert(0, str(REPO / "tools"))  # the shared code of the tools: thermocrack_tools


def load_script(path, name):
    """A tool without a .py ending, loaded as a module."""
    loader = importlib.machinery.SourceFileLoader(name, str(path))
    spec = importlib.util.spec_from_loader(name, loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


@pytest.fixture(scope="session")
def plot():
    return load_script(TOOL, "thermocrack_plot")


def copy_job(target, *sources):
    """A job folder made of the files of the source folders (later ones win)."""
    target.mkdir(parents=True, exist_ok=True)
    for source in sources:
        if not source.is_dir():
            pytest.skip(f"{source} is not there")
        for f in source.iterdir():
            if f.is_file():
                shutil.copyfile(f, target / f.name)
    return target


@pytest.fixture
def wall_job(tmp_path):
    """The example wall: its inputs with the expected outputs of the end-to-end test."""
    return copy_job(tmp_path / "wall", REPO / "examples" / "wall" / "job",
                    REPO / "tests" / "jobs" / "example_wall" / "expected" / "job")


def end_to_end_job(tmp_path, name):
    base = REPO / "tests" / "jobs" / name
    return copy_job(tmp_path / name, base / "input" / "job", base / "expected" / "job")
