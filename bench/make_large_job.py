#!/usr/bin/env python3
"""Writes the large benchmark job: a mat-foundation section meshed at the program's capacities.

usage: make_large_job.py [--iecho N ...] [--steps N] OUTDIR

For every print level asked for (default 2 and 0) it makes OUTDIR/iechoN/, a working folder that
holds path.dat (naming c:\\job) and job/ with title.dat and the job's three input files, like the
public cases. Run the program with that working folder as the current folder.

The section is 5000 mm wide (X) and 1500 mm deep (Y, the height), 26 x 26 nodes and 25 x 25
elements, with two mats of 50 bars near each face (200 bars). The temperature history is the
heat of hydration of a mass pour on the ground: the core rises about 30 degrees over two days,
the exposed top face stays cooler than the core and the soil side, and the section then cools to
the ambient over the following weeks. Under the external restraint the cooling section cracks at
about 7.8 days: some 60 % of the elements crack in one step (five passes of the zone iteration),
the cracked zone spans the depth, and the rest of the run goes on with a cracked section.

Python's standard library only; the files are the same on every run.
"""
import argparse
import math
import os

NAME = "large"

# Mesh: regular grid, capacities of the program are 700 nodes, 700 elements, 200 bars.
COLUMNS = 25          # elements across the width
ROWS = 25             # elements through the depth
WIDTH = 5000.0        # mm
DEPTH = 1500.0        # mm
THICKNESS = 1000.0    # mm, listed only

# Reinforcement: two mats near each face, 50 bars each at 100 mm spacing, D19.
BARS_PER_LAYER = 50
BAR_SPACING = 100.0
BAR_LAYERS_Y = (80.0, 130.0, DEPTH - 130.0, DEPTH - 80.0)
BAR_AREA = 286.5      # mm2

# Material: strength gain, tension, modulus, expansion, crack lengths, steel, restraint, judge.
SIGMA91 = 40.0
PARAM_A = 4.5
PARAM_B = 0.95
PARAM_C = 0.44
FC_TO_EC = 4700.0
ALPHA_C = 1.0e-5
LCB, LCU, LSB, LSU = 300.0, 500.0, 150.0, 250.0
ES = 2.0e5
JUDGE = 1.0
RN, RM1, RM2 = 0.5, 0.6, 0.5

# Temperature history.
FIRST_AGE = 0.25      # days, the starting moment
AGE_STEP = 0.03       # days between moments: 1000 steps reach about 30 days
PLACING = 20.0        # deg C, fresh concrete
AMBIENT = 12.0        # deg C, air and ground in the long run
RISE = 32.0           # deg C, heat of hydration at the hottest point
PEAK_AGE = 2.0        # days, the core's peak
SETTLE_DAYS = 6.0     # time constant of the placing temperature's decay to the ambient
CORE_HEIGHT = 600.0   # mm, height of the hottest layer (the ground keeps the lower part warm)
TOP_SHARE = 0.15      # share of the heat kept at the exposed top face
BOTTOM_SHARE = 0.7    # share kept at the bottom face, on the ground
TOP_POWER = 4.0       # the top face's cooling reaches only a thin layer
SIDE_DEPTH = 2500.0   # mm, the sides lose little heat compared with the top


def nodes():
    """Node coordinates, row by row from the bottom, left to right."""
    dx = WIDTH / COLUMNS
    dy = DEPTH / ROWS
    return [(i * dx, j * dy) for j in range(ROWS + 1) for i in range(COLUMNS + 1)]


def elements():
    """Corner node numbers, counter-clockwise from the lower left corner."""
    per_row = COLUMNS + 1
    out = []
    for j in range(ROWS):
        for i in range(COLUMNS):
            n1 = j * per_row + i + 1
            out.append((n1, n1 + 1, n1 + 1 + per_row, n1 + per_row))
    return out


def bars():
    """Bar positions: bottom mats first, then the top mats, each left to right."""
    out = []
    for y in BAR_LAYERS_Y:
        for k in range(BARS_PER_LAYER):
            out.append((BAR_SPACING / 2.0 + k * BAR_SPACING, y))
    return out


def heat_shape(x, y):
    """Share of the hydration heat kept at a point: 1 in the core, less towards the faces."""
    if y >= CORE_HEIGHT:
        sy = 1.0 - (1.0 - TOP_SHARE) * ((y - CORE_HEIGHT) / (DEPTH - CORE_HEIGHT)) ** TOP_POWER
    else:
        sy = 1.0 - (1.0 - BOTTOM_SHARE) * ((CORE_HEIGHT - y) / CORE_HEIGHT) ** 2
    sx = math.sin(math.pi * (x + SIDE_DEPTH) / (WIDTH + 2.0 * SIDE_DEPTH))
    return sy * sx


def temperature(x, y, age):
    """Smooth temperature at a point: a hydration pulse that peaks earlier and lower near the faces
    on top of the placing temperature settling to the ambient."""
    shape = heat_shape(x, y)
    peak = PEAK_AGE * (0.5 + 0.5 * shape)
    pulse = (age / peak) * math.exp(1.0 - age / peak)
    base = AMBIENT + (PLACING - AMBIENT) * math.exp(-age / SETTLE_DAYS)
    return base + RISE * shape * pulse


def e12(value):
    """A value in a 12-column field of a (7E12.5) record, always with its decimal point (a field
    without one would take its last five digits as the fraction)."""
    if abs(value) < 0.01:
        return "%12.1E" % value
    text = ("%.4f" % value).rstrip("0")
    return "%12s" % (text + "0" if text.endswith(".") else text)


def write_lines(path, lines):
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines))
        f.write("\n")


def write_deck(folder, iecho, bar_list):
    lines = ["%5d%5d" % (iecho, 0), "%5d" % len(bar_list)]
    lines.append("".join(e12(v) for v in (SIGMA91, PARAM_A, PARAM_B, PARAM_C, FC_TO_EC, ALPHA_C)))
    lines.append("".join(e12(v) for v in (LCB, LCU, LSB, LSU)))
    lines.append(e12(ES) + e12(JUDGE))
    lines.append(e12(RN) + e12(RM1) + e12(RM2))
    for b, (x, y) in enumerate(bar_list, start=1):
        lines.append("%5d%15.1f%15.1f%15.1f" % (b, x, y, BAR_AREA))
    write_lines(os.path.join(folder, NAME + ".inp"), lines)


def write_mesh(folder, node_list, element_list, bar_count):
    lines = ["%5d%5d%5d%10.1f" % (1, 0, 0, 0.0),
             "%5d%5d%5d%10.1f" % (len(node_list), len(element_list), bar_count, 0.0),
             "%5d%5d%5d%10.1f" % (1, 1, 4, 1.0)]
    for n, (x, y) in enumerate(node_list, start=1):
        lines.append("%10d%10.1f%10.1f" % (n, x, y))
    for e, corners in enumerate(element_list, start=1):
        lines.append("%10d%6d%6d%6d%6d%8.1f" % ((e,) + corners + (THICKNESS,)))
    write_lines(os.path.join(folder, NAME + ".dat"), lines)


def write_temperatures(folder, node_list, element_count, steps):
    blocks = steps + 1
    lines = ["%5d%5d%5d" % (len(node_list), element_count, 1),
             "%5d%10.3f" % (blocks, AGE_STEP),
             "%5d" % 0]
    for k in range(blocks):
        age = FIRST_AGE + k * AGE_STEP
        lines.append("%5d%10.4f" % (k + 1, age))
        temps = ["%10.3f" % temperature(x, y, age) for (x, y) in node_list]
        for first in range(0, len(temps), 10):
            lines.append("".join(temps[first:first + 10]))
    write_lines(os.path.join(folder, NAME + ".tmp"), lines)


def make_job(workdir, iecho, steps):
    job = os.path.join(workdir, "job")
    os.makedirs(job, exist_ok=True)
    write_lines(os.path.join(workdir, "path.dat"), ["c:\\job"])
    write_lines(os.path.join(job, "title.dat"), [NAME])
    node_list = nodes()
    element_list = elements()
    bar_list = bars()
    write_deck(job, iecho, bar_list)
    write_mesh(job, node_list, element_list, len(bar_list))
    write_temperatures(job, node_list, len(element_list), steps)


def main():
    parser = argparse.ArgumentParser(description="Write the large benchmark job.")
    parser.add_argument("outdir", help="folder that receives one working folder per print level")
    parser.add_argument("--iecho", type=int, action="append", help="print level (repeatable; default 2 and 0)")
    parser.add_argument("--steps", type=int, default=1000, help="analysis steps (default 1000)")
    args = parser.parse_args()
    for iecho in args.iecho or [2, 0]:
        make_job(os.path.join(args.outdir, "iecho%d" % iecho), iecho, args.steps)


if __name__ == "__main__":
    main()
