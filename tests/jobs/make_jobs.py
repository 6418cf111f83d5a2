#!/usr/bin/env python3
"""Writes the input folders of the small end-to-end jobs: tests/jobs/<job>/input/.

Each input folder is what the program finds when it starts, with that folder as the working folder:
path.dat (c:\\job), job/ with title.dat and the job's files, and w.dat for a restart. The expected
outputs beside them (tests/jobs/<job>/expected/) are made by refresh_expected.py from a checked build.
Python 3 standard library only.
"""
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import jobfiles  # noqa: E402

# Sigma-91day, Parameter-A, Parameter-B, Parameter-C, fc -> Ec, concrete expansion,
# lcb, lcu, lsb, lsu, Es, judge value, Rn, Rm1, Rm2.
PARAMETERS = (40.0, 4.5, 0.95, 0.44, 4700.0, 1.0e-5,
              300.0, 500.0, 150.0, 250.0, 2.0e5, 1.0, 0.8, 0.6, 0.5)
D16 = 198.6


def fresh(job):
    work = os.path.join(HERE, job, "input")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "job"))
    jobfiles.write_path_file(work)
    return work


def history(nodes, ages, thickness, height, rise):
    return [(n, age, jobfiles.hydration_field(nodes, age, thickness, height, rise))
            for n, age in enumerate(ages, 1)]


def general_quads():
    """IECHO 2; three interior nodes moved off the grid so that the elements around them are general
    quadrilaterals; one bar on the vertical side shared by elements 2 and 3."""
    nodes, elements = jobfiles.grid([100.0] * 3, [200.0] * 4)
    moved = {(100.0, 200.0): (112.0, 214.0), (200.0, 400.0): (188.0, 388.0), (100.0, 600.0): (108.0, 590.0)}
    nodes = [moved.get(p, p) for p in nodes]
    bars = [(40.0, 100.0, D16), (260.0, 100.0, D16), (200.0, 100.0, D16),
            (40.0, 300.0, D16), (260.0, 300.0, D16), (40.0, 500.0, D16), (260.0, 500.0, D16),
            (40.0, 700.0, D16), (260.0, 700.0, D16)]
    blocks = history(nodes, (0.25, 0.75, 1.5, 3.0, 5.0, 8.0, 14.0), 300.0, 800.0, 34.0)
    work = fresh("general_quads")
    jobfiles.write_job(os.path.join(work, "job"), "quad2", 2, 0, PARAMETERS, nodes, elements, bars, blocks)


def w_dat_lines(nelx, groups):
    """w.dat: each group starts a record; reals eight to a record in E10.3, integers twenty in I3."""
    (sc, ec, dc0, count, ss, es, ds0, ths, last) = groups
    lines = []

    def reals(values):
        for k in range(0, max(len(values), 1), 8):
            lines.append("".join(f"{v:10.3E}" for v in values[k:k + 8]))

    reals(sc)
    reals(ec)
    reals(dc0)
    for k in range(0, nelx, 20):
        lines.append("".join(f"{n:3d}" for n in count[k:k + 20]))
    for group in (ss, es, ds0, ths):
        reals(group)
    m, n, u1, u2, hmax0, hmin0, offset, rm_switch = last
    lines.append("".join(f"{v:10.3E}" for v in (m, n, u1, u2, hmax0, hmin0, offset)) + f"{rm_switch:3d}")
    return lines


def restart():
    """Iinit 1: the top row of a 200 x 800 mm section cracked in an earlier run, ages restarting at 0
    with an age offset of 3 days, the bending restraint already switched to Rm2."""
    nodes, elements = jobfiles.grid([100.0] * 2, [200.0] * 4)
    bars = [(50.0, 300.0, D16), (150.0, 300.0, D16), (50.0, 700.0, D16), (150.0, 700.0, D16)]
    blocks = history(nodes, (3.0, 4.0, 5.0, 7.0, 10.0), 200.0, 800.0, 30.0)
    blocks = [(n, age - 3.0, temps) for n, age, temps in blocks]
    work = fresh("restart")
    jobfiles.write_job(os.path.join(work, "job"), "rest", 1, 1, PARAMETERS, nodes, elements, bars, blocks)
    sigma_c = [-0.8, -0.8, -0.3, -0.3, 0.4, 0.4, 0.0, 0.0]
    eps_c = [s / 20000.0 for s in sigma_c]
    depsc0 = [0.0] * 6 + [-1.2e-4, -1.2e-4]
    count = [0] * 6 + [1, 1]
    sigma_s = [-8.0, -8.0, 30.0, 30.0]
    eps_s = [s / 2.0e5 for s in sigma_s]
    depss0 = [0.0, 0.0, 1.5e-4, 1.5e-4]
    thermal = [1.6e-4] * 4
    last = (2.5e6, -4.0e3, 0.02, 0.01, 800.0, 600.0, 3.0, 1)
    jobfiles.write_lines(os.path.join(work, "w.dat"),
                         w_dat_lines(8, (sigma_c, eps_c, depsc0, count, sigma_s, eps_s, depss0, thermal, last)))


def no_bars():
    """NSTEEL 0 at IECHO 2: the deck ends after the material records; the section still cracks."""
    nodes, elements = jobfiles.grid([100.0] * 2, [150.0] * 5)
    blocks = history(nodes, (0.5, 1.5, 4.0, 8.0, 14.0, 21.0), 200.0, 750.0, 34.0)
    work = fresh("no_bars")
    jobfiles.write_job(os.path.join(work, "job"), "plain", 2, 0, PARAMETERS, nodes, elements, [], blocks)


def single_block():
    """A temperature file of one block: no step, no result record; status 1. An .hst left by an
    earlier run is replaced like the other result files: all are empty."""
    nodes, elements = jobfiles.grid([100.0] * 2, [200.0] * 3)
    bars = [(50.0, 100.0, D16), (150.0, 500.0, D16)]
    blocks = history(nodes, (1.0,), 200.0, 600.0, 30.0)
    work = fresh("single_block")
    jobfiles.write_job(os.path.join(work, "job"), "one", 1, 0, PARAMETERS, nodes, elements, bars, blocks)
    jobfiles.write_lines(os.path.join(work, "job", "one.hst"), ["   2.000  -1.500   0.250", "earlier run"], True)


def earlier_outputs(job_dir, name):
    for ext in (".out", ".hss", ".hci", ".hwd", ".hcr", ".hdp", ".hst"):
        jobfiles.write_lines(os.path.join(job_dir, name + ext), [f"earlier run: {name}{ext}"], True)


def missing_temperatures():
    """No .tmp: the run stops after opening .inp and .dat; the earlier run's outputs stay as they
    were and no .sta is created."""
    nodes, elements = jobfiles.grid([100.0] * 2, [200.0] * 3)
    bars = [(50.0, 100.0, D16), (150.0, 500.0, D16)]
    blocks = history(nodes, (1.0, 2.0), 200.0, 600.0, 30.0)
    work = fresh("missing_tmp")
    job_dir = os.path.join(work, "job")
    jobfiles.write_job(job_dir, "gone", 1, 0, PARAMETERS, nodes, elements, bars, blocks)
    os.remove(os.path.join(job_dir, "gone.tmp"))
    earlier_outputs(job_dir, "gone")


def bad_field():
    """A letter O typed for a zero in the third block of the temperature file: the run stops there
    with exit status 2, and the list and result files keep what the first step wrote."""
    nodes, elements = jobfiles.grid([100.0] * 2, [200.0] * 3)
    bars = [(50.0, 100.0, D16), (150.0, 500.0, D16)]
    blocks = history(nodes, (0.5, 1.5, 3.0, 6.0), 200.0, 600.0, 30.0)
    work = fresh("bad_field")
    job_dir = os.path.join(work, "job")
    jobfiles.write_job(job_dir, "typo", 1, 0, PARAMETERS, nodes, elements, bars, blocks)
    path = os.path.join(job_dir, "typo.tmp")
    with open(path) as f:
        lines = f.read().split("\n")
    # header 3 records, then per block one step record and two temperature records (12 nodes)
    record = 3 + 2 * 3 + 2
    line = lines[record - 1]
    lines[record - 1] = line[:10] + f"{'21.5O0':>10}" + line[20:]
    with open(path, "w", newline="") as f:
        f.write("\n".join(lines))


def main():
    general_quads()
    restart()
    no_bars()
    single_block()
    missing_temperatures()
    bad_field()


if __name__ == "__main__":
    main()
