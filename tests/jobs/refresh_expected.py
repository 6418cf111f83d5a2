#!/usr/bin/env python3
"""Runs a thermocrack binary on the end-to-end jobs and stores what it leaves as their expected files.

usage: refresh_expected.py BINARY [JOB ...]

Only for a build that passes every public job byte for byte; look over the differences (git diff)
before committing them. Each job runs in a fresh copy of its input (examples/wall for example_wall),
with that copy as the working folder. expected/ receives the job folder's result files (.out, .hss,
.hci, .hwd, .hcr, .hdp, .hst, .sta, .hcj), console.txt (standard output), console-error.txt (standard error,
when not empty) and exit-code.
"""
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
OUTPUTS = (".out", ".hss", ".hci", ".hwd", ".hcr", ".hdp", ".hst", ".sta", ".hcj")
JOBS = {
    "example_wall": os.path.join(ROOT, "examples", "wall"),
    "general_quads": None,
    "restart": None,
    "no_bars": None,
    "single_block": None,
    "missing_tmp": None,
    "bad_field": None,
}


def refresh(binary, job):
    source = JOBS[job] or os.path.join(HERE, job, "input")
    from_example = JOBS[job] is not None
    expected = os.path.join(HERE, job, "expected")
    work = tempfile.mkdtemp(prefix="tc-refresh-")
    try:
        for folder, _, files in os.walk(source):
            for name in files:
                if from_example and os.path.splitext(name)[1] in OUTPUTS:
                    continue
                rel = os.path.relpath(os.path.join(folder, name), source)
                os.makedirs(os.path.dirname(os.path.join(work, rel)), exist_ok=True)
                shutil.copyfile(os.path.join(folder, name), os.path.join(work, rel))
        env = {k: v for k, v in os.environ.items() if not k.startswith("THERMOCRACK_DRIVE_")}
        proc = subprocess.run([binary], cwd=work, capture_output=True, env=env, timeout=600)
        shutil.rmtree(expected, ignore_errors=True)
        os.makedirs(expected)
        for folder, _, files in os.walk(work):
            for name in files:
                if os.path.splitext(name)[1] not in OUTPUTS:
                    continue
                rel = os.path.relpath(os.path.join(folder, name), work)
                os.makedirs(os.path.dirname(os.path.join(expected, rel)), exist_ok=True)
                shutil.copyfile(os.path.join(folder, name), os.path.join(expected, rel))
        with open(os.path.join(expected, "console.txt"), "wb") as f:
            f.write(proc.stdout)
        if proc.stderr:
            with open(os.path.join(expected, "console-error.txt"), "wb") as f:
                f.write(proc.stderr)
        with open(os.path.join(expected, "exit-code"), "w") as f:
            f.write(f"{proc.returncode}\n")
        print(f"{job}: exit {proc.returncode}")
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    binary = os.path.abspath(sys.argv[1])
    for job in sys.argv[2:] or list(JOBS):
        refresh(binary, job)


if __name__ == "__main__":
    main()
