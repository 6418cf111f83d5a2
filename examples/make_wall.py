#!/usr/bin/env python3
"""Writes the worked example examples/wall/: a 400 mm thick, 3000 mm high wall cast on a footing.

The cross-section (X across the thickness, Y up the height) is meshed into 10 x 30 elements of
40 x 100 mm. D19 bars (286.5 mm2) run at 200 mm centres with 60 mm cover to their centres near both
faces. The temperature history is a heat-of-hydration curve: placed at 20 C, the core peaks near 50 C
at about a day and a half, the faces stay cooler, and the section cools to the 15 C ambient over four
weeks. Cooling against the footing's restraint cracks it through its whole height at about nine
days, with crack widths of about 0.2 mm at the bars by four weeks. Run it again to rebuild the input files: python3 examples/make_wall.py
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import jobfiles  # noqa: E402

THICKNESS = 400.0
HEIGHT = 3000.0
COLUMNS, ROWS = 10, 30
COVER = 60.0
SPACING = 200.0
D19 = 286.5

# Sigma-91day, Parameter-A, Parameter-B, Parameter-C, fc -> Ec, concrete expansion,
# lcb, lcu, lsb, lsu (mm), Es, judge value, Rn, Rm1, Rm2.
PARAMETERS = (40.0, 4.5, 0.95, 0.44, 4700.0, 1.0e-5,
              400.0, 600.0, 200.0, 300.0, 2.0e5, 1.0, 0.8, 0.6, 0.5)

# Ages of the temperature blocks in days: the first is the starting state (a couple of hours after
# placing), then quarter days through the heating, daily through the first weeks of cooling, when the
# wall cracks (at about nine days), and wider steps up to four weeks.
AGES = (0.1, 0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 3.5, 4.0, 5.0, 6.0, 7.0,
        8.0, 9.0, 10.0, 11.0, 12.0, 13.0, 14.0, 16.0, 18.0, 21.0, 24.0, 28.0)
RISE = 32.0


def build():
    nodes, elements = jobfiles.grid([THICKNESS / COLUMNS] * COLUMNS, [HEIGHT / ROWS] * ROWS)
    bars = []
    y = 100.0
    while y < HEIGHT:
        bars.append((COVER, y, D19))
        bars.append((THICKNESS - COVER, y, D19))
        y += SPACING
    blocks = [(n, age, jobfiles.hydration_field(nodes, age, THICKNESS, HEIGHT, RISE))
              for n, age in enumerate(AGES, 1)]
    return nodes, elements, bars, blocks


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    work = os.path.join(here, "wall")
    nodes, elements, bars, blocks = build()
    os.makedirs(work, exist_ok=True)
    jobfiles.write_path_file(work)
    jobfiles.write_job(os.path.join(work, "job"), "wall", 1, 0, PARAMETERS, nodes, elements, bars, blocks)


if __name__ == "__main__":
    main()
