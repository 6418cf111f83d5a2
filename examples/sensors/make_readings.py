#!/usr/bin/python3
"""Makes the example's synthetic readings: the wall of wall.toml as it "really" was (a mix 15 % hotter
and slower than designed, formwork that insulates better), its heat analysis interpolated at the six
sensors of sensors.toml every hour for three days, with normal noise of 0.3 C (seeded), written as a
logger's wide CSV with date-times from the placing of sensors.toml.

usage: examples/sensors/make_readings.py [--thermocrack PROGRAM] [--out readings.csv] [--noise C] [--seed N]
"""

import argparse
import datetime
import os
import sys
import tomllib

HERE = os.path.dirname(os.path.abspath(__file__))
# thermocrack's Python tools: in the source tree, or installed in share/thermocrack/python.
for place in (os.path.join(HERE, "..", "..", "tools"), os.path.join(HERE, "..", "..", "python")):
    if os.path.isdir(os.path.join(place, "thermocrack_tools")):
        sys.path.insert(0, os.path.normpath(place))
        break

import numpy as np  # noqa: E402

from thermocrack_tools.sensor_model import Model  # noqa: E402
from thermocrack_tools.sensor_readings import SensorsFile  # noqa: E402

# The values the readings come from, against wall.toml's 45, 1.1 and 8.
TRUE_VALUES = {
    "concrete.adiabatic_rise.K": 51.75,
    "concrete.adiabatic_rise.alpha": 0.9,
    "boundary[0].h[0][1]": 5.0,
    "boundary[1].h[0][1]": 5.0,
}


def make(description_path, sensors_path, out, thermocrack, noise=0.3, seed=2, hours=72, values=TRUE_VALUES):
    with open(description_path, "rb") as f:
        description = tomllib.load(f)
    sensors_file = SensorsFile(sensors_path)
    model = Model(description, description_path, [[k] for k in values], thermocrack, sensors_file.sensors,
                  sensors_path)
    ages = [h / 24.0 for h in range(1, hours + 1)]
    try:
        T = model.evaluate(list(values.values()), ages)
    finally:
        model.close()
    T = T + np.random.default_rng(seed).normal(0.0, noise, T.shape)
    placing = sensors_file.placing
    with open(out, "w", encoding="utf-8", newline="") as f:
        f.write("time," + ",".join(s.name for s in sensors_file.sensors) + "\n")
        for age, row in zip(ages, T):
            moment = placing + datetime.timedelta(days=age)
            f.write(moment.strftime("%Y-%m-%d %H:%M") + "," + ",".join(f"{v:.2f}" for v in row) + "\n")
    return out


def main():
    p = argparse.ArgumentParser(description="Synthetic readings of the example wall's sensors.")
    built = os.path.join(HERE, "..", "..", "build", "thermocrack")
    p.add_argument("--thermocrack", default=built if os.path.exists(built) else "thermocrack",
                   help="the program (default: build/thermocrack of the source tree, else thermocrack on PATH)")
    p.add_argument("--out", default=os.path.join(HERE, "readings.csv"))
    p.add_argument("--noise", type=float, default=0.3, help="standard deviation of the noise, C")
    p.add_argument("--seed", type=int, default=2)
    a = p.parse_args()
    print(make(os.path.join(HERE, "wall.toml"), os.path.join(HERE, "sensors.toml"), a.out, a.thermocrack,
               a.noise, a.seed))


if __name__ == "__main__":
    main()
