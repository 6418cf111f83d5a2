#!/usr/bin/env python3
"""Writes the worked example examples/wall/: a 400 mm thick, 3000 mm high wall cast on a footing.

The cross-section (X across the thickness, Y up the height) is meshed into 10 x 30 elements of
40 x 100 mm. D19 bars (286.5 mm2) run at 200 mm centres with 60 mm cover to their centres near both
faces. heat.toml sets the heat analysis: concrete placed at 20 C in 5 C air, plywood formwork on
both faces for three days, the top open, the footing below at 10 C. `thermocrack heat` works out
the temperatures from it (the core peaks near 30 C at about 0.75 days, the wall is back at the air
temperature within a week), and the cooling after the formwork comes off cracks the wall through
its whole height at 3.5 days, with crack widths of 0.12 to 0.18 mm at the bars.

Run it again to rebuild the input files: python3 examples/make_wall.py [THERMOCRACK]; with the
program's path (default build/thermocrack, when built) it also runs `thermocrack heat` to rebuild
wall.tmp.
"""
import os
import subprocess
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
# placing), then quarter days through the heating, half days around the formwork's removal at
# three days, when the wall cracks, and wider steps up to four weeks.
AGES = (0.1, 0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 3.5, 4.0, 5.0, 6.0, 7.0,
        8.0, 9.0, 10.0, 11.0, 12.0, 13.0, 14.0, 16.0, 18.0, 21.0, 24.0, 28.0)

# The heat analysis (README, Heat analysis, names where such values come from).
HEAT_TOML = """\
# Heat of hydration of the example wall (400 mm thick, 3000 mm high, on a footing), for
# thermocrack heat. Lengths of the mesh in mm, ages in days, temperatures in C.
# Values are illustrative, of the order of those in the sources named in README (Heat analysis).

[concrete]
conductivity = 2.7            # W/(m K)
density = 2400.0              # kg/m3
specific_heat = 1150.0        # J/(kg K)
placing_temperature = 20.0    # C
adiabatic_rise = {{ K = 45.0, alpha = 1.1, beta = 1.0 }}   # T_ad = 45 (1 - exp(-1.1 t)) C

[ambient]
temperature = 5.0             # C, air around the wall on a cold late-autumn week

# Both faces: plywood formwork for three days, then bare concrete in the air.
[[boundary]]
side = "left"
h = [[0.0, 8.0], [3.0, 14.0]] # W/(m2 K)

[[boundary]]
side = "right"
h = [[0.0, 8.0], [3.0, 14.0]]

# The top of the wall is open to the air from the start.
[[boundary]]
side = "top"
h = 14.0

# The footing below, older concrete at 10 C, takes heat through the joint.
[[boundary]]
side = "bottom"
h = 20.0
ambient = 10.0

[output]
ages = [{ages}]
"""


def ages_text():
    """The output ages, sixteen to a line."""
    parts = [f"{a}" for a in AGES]
    lines = [", ".join(parts[k:k + 16]) for k in range(0, len(parts), 16)]
    return (",\n        ").join(lines)


def build():
    nodes, elements = jobfiles.grid([THICKNESS / COLUMNS] * COLUMNS, [HEIGHT / ROWS] * ROWS)
    bars = []
    y = 100.0
    while y < HEIGHT:
        bars.append((COVER, y, D19))
        bars.append((THICKNESS - COVER, y, D19))
        y += SPACING
    return nodes, elements, bars


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    work = os.path.join(here, "wall")
    nodes, elements, bars = build()
    job = os.path.join(work, "job")
    os.makedirs(job, exist_ok=True)
    jobfiles.write_path_file(work)
    jobfiles.write_title(job, "wall")
    jobfiles.write_lines(os.path.join(job, "wall.inp"), jobfiles.deck_lines(1, 0, PARAMETERS, bars))
    jobfiles.write_lines(os.path.join(job, "wall.dat"), jobfiles.mesh_lines(nodes, elements, len(bars)))
    with open(os.path.join(job, "heat.toml"), "w", newline="\n") as f:
        f.write(HEAT_TOML.format(ages=ages_text()))
    program = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(here, "..", "build", "thermocrack"))
    if os.access(program, os.X_OK):
        subprocess.run([program, "heat", job], check=True)
    else:
        print(f"now run: thermocrack heat {job}")


if __name__ == "__main__":
    main()
