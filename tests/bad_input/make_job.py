#!/usr/bin/env python3
"""Writes the small valid job that the bad-input suite damages: tests/bad_input/job/.

A 300 x 400 mm section of 3 x 4 elements (20 nodes, 12 elements), four bars near the corners and a
temperature history of four blocks (three steps) that cracks the section. The folder holds path.dat
(c:\\job) and job/ with title.dat and small.inp, small.dat, small.tmp. Python 3 standard library only.
"""
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "examples"))
import jobfiles  # noqa: E402

PARAMETERS = (40.0, 4.5, 0.95, 0.44, 4700.0, 1.0e-5,
              300.0, 500.0, 150.0, 250.0, 2.0e5, 1.0, 0.8, 0.6, 0.5)
D16 = 198.6


def main():
    work = os.path.join(HERE, "job")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "job"))
    jobfiles.write_path_file(work)
    nodes, elements = jobfiles.grid([100.0] * 3, [100.0] * 4)
    bars = [(50.0, 50.0, D16), (250.0, 50.0, D16), (50.0, 350.0, D16), (250.0, 350.0, D16)]
    blocks = [(n, age, jobfiles.hydration_field(nodes, age, 300.0, 400.0, 40.0))
              for n, age in enumerate((0.5, 1.5, 4.0, 10.0), 1)]
    jobfiles.write_job(os.path.join(work, "job"), "small", 1, 0, PARAMETERS, nodes, elements, bars, blocks)


if __name__ == "__main__":
    main()
