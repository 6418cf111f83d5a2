"""thermocrack-sensors: readings in (layouts and the errors that name file, line and column),
interpolation at a sensor, and fits of a small wall to readings made from known values with noise."""

import json
import os
import re
import tomllib

import numpy as np
import pytest

from conftest import REPO

from thermocrack_tools.sensor_model import Model, locate, output_ages
from thermocrack_tools.sensor_readings import (ReadingsError, SensorsFile, choose_placing, read_readings,
                                               read_weather)
from thermocrack_tools.job_files import Mesh

pytest.importorskip("scipy")
pytest.importorskip("matplotlib")
pytest.importorskip("jinja2")
BINARY = os.environ.get("THERMOCRACK_BINARY", str(REPO / "build" / "thermocrack"))
needs_binary = pytest.mark.skipif(not os.path.exists(BINARY), reason=f"no program at {BINARY}: build it, or set "
                                                                      f"THERMOCRACK_BINARY")

# A wall 400 mm thick and 1200 mm high in 4 x 6 elements: each heat analysis takes milliseconds.
WALL = """name = "small"
[[part]]
name = "wall"
rectangle = { x = [0.0, 400.0], y = [0.0, 1200.0] }
[mesh]
size = [100.0, 200.0]
[[bars]]
face = "left"
cover = 60.0
cover_to = "centre"
diameter = 19.0
spacing = 200.0
[concrete]
strength = 40.0
a = 4.5
b = 0.95
tensile_factor = 0.44
modulus_factor = 4700.0
expansion = 1.0e-5
conductivity = 2.7
density = 2400.0
specific_heat = 1150.0
placing_temperature = 20.0
adiabatic_rise = { K = 45.0, alpha = 1.1 }   # the mix as designed
[steel]
modulus = 200000.0
[cracking]
judge = 1.0
lcb = 400.0
lcu = 600.0
lsb = 200.0
lsu = 300.0
[restraint]
Rn = 0.8
Rm1 = 0.6
Rm2 = 0.5
[ambient]
temperature = 5.0
[[boundary]]
side = "left"
h = [[0.0, 8.0], [2.0, 14.0]]
[[boundary]]
side = "right"
h = [[0.0, 8.0], [2.0, 14.0]]
[[boundary]]
side = "top"
h = 14.0
[output]
ages = [0.25, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 7.0]
"""

SENSORS = """placing = "2026-11-02T07:30"
[[sensor]]
name = "core"
x = 200.0
y = 600.0
[[sensor]]
name = "face"
x = 25.0
y = 600.0
label = "25 mm in"
[[sensor]]
name = "low"
x = 200.0
y = 150.0
[[sensor]]
name = "top"
x = 200.0
y = 1150.0
"""


def write(folder, name, text):
    path = folder / name
    path.write_text(text)
    return str(path)


def synthetic(folder, values, noise, seed=4, hours=range(2, 49, 2)):
    """Readings of the small wall with `values` set: a wide CSV in hours since placing."""
    description = tomllib.loads(WALL)
    sensors = SensorsFile(write(folder, "sensors.toml", SENSORS))
    model = Model(description, "wall.toml", [[k] for k in values], BINARY, sensors.sensors, "sensors.toml")
    try:
        T = model.evaluate(list(values.values()), [h / 24.0 for h in hours])
    finally:
        model.close()
    T = T + np.random.default_rng(seed).normal(0.0, noise, T.shape)
    lines = ["hours," + ",".join(s.name for s in sensors.sensors)]
    lines += [f"{h}," + ",".join(f"{v:.3f}" for v in row) for h, row in zip(hours, T)]
    return write(folder, "readings.csv", "\n".join(lines) + "\n")


def run_tool(args):
    from thermocrack_tools.sensor_commands import main
    return main(list(args) + ["--thermocrack", BINARY, "--quiet"])


# ---------------------------------------------------------------------------------------------------
# Readings in

def test_layouts_give_the_same_readings_and_bad_rows_name_file_line_and_column(tmp_path):
    sensors = SensorsFile(write(tmp_path, "s.toml", SENSORS)).sensors
    placing = SensorsFile(str(tmp_path / "s.toml")).placing
    wide = write(tmp_path, "wide.csv", "# logger 7\ntime,core,face\n2026-11-02 09:30,21.5,20.9\n"
                                        "2026-11-02T10:30,,21.0\n")
    hours = write(tmp_path, "hours.csv", "Hours;core;face\n2;21,5;20,9\n3;;21,0\n")
    long = write(tmp_path, "long.csv", "sensor,time,value\ncore,2026-11-02 09:30,21.5\nface,2026-11-02 09:30,20.9\n"
                                        "face,2026/11/02 10:30,21.0\n")
    got = []
    for path in (wide, hours, long):
        r = read_readings(path, sensors, placing)
        got.append(sorted(zip(r.sensor, np.round(r.age, 9), r.value)))
    assert got[0] == got[1] == got[2] == [(0, round(2 / 24, 9), 21.5), (1, round(2 / 24, 9), 20.9),
                                          (1, round(3 / 24, 9), 21.0)]
    assert output_ages([2 / 24 + 1e-7, 2 / 24, 3 / 24]) == [120 / 1440, 180 / 1440]

    bad = {
        "time,core\n2026-11-02 09:30,2l.5\n": r"bad\.csv, line 2, column 2 \(core\): \"2l\.5\" is not a temperature",
        "time,core,north\n2026-11-02 09:30,21.5,3\n": r"line 1, column 3: sensor \"north\" is not in the sensors file",
        "sensor,hours,value\ncore,1,20\nnorth,2,21\n": r"line 3, column 1: sensor \"north\"",
        "time,core\n2026-11-02 07:00,21.5\n": r"line 2, column 1 \(time\): \"2026-11-02 07:00\" is before placing",
        "hours,core\n-1,21.5\n": r"line 2, column 1 \(hours\): \"-1\" is before placing",
        "time,core\n2026-11-02 09:30,21.5,22\n": r"line 2: 3 columns where the header has 2",
        "when,core\n1,2\n": r"line 1, column 1: \"when\" is not a time column",
        "hours,core\n2,250\n": r"line 2, column 2 \(core\): 250 C is not a concrete temperature",
    }
    for text, message in bad.items():
        path = write(tmp_path, "bad.csv", text)
        with pytest.raises(ReadingsError, match=message):
            read_readings(path, sensors, placing)
    with pytest.raises(ReadingsError, match=r"needs the placing date and time"):
        read_readings(wide, sensors, None)
    air = write(tmp_path, "air.csv", "time,temperature\n2026-11-02 07:30,6\n2026-11-03 19:30,3.5\n")
    assert read_weather(air, placing) == [[0.0, 6.0], [1.5, 3.5]]
    with pytest.raises(ReadingsError, match=r"air\.csv, line 3, column 1 \(time\): the times must increase"):
        read_weather(write(tmp_path, "air.csv", "time,air\n2026-11-02 09:30,6\n2026-11-02 08:30,6\n"), placing)

    # The placing: --placing, else the description's [site], else the sensors file; two that differ are refused.
    sensors_file = SensorsFile(str(tmp_path / "s.toml"))
    site = tomllib.loads('[site]\nplacing = 2026-11-02T07:30:00\n')  # a TOML date-time or a string
    assert choose_placing(None, {}, "d.toml", sensors_file)[0].hour == 7
    assert choose_placing(None, site, "d.toml", sensors_file)[1] == "d.toml [site] placing"
    assert choose_placing("2026-11-03 06:00", site, "d.toml", sensors_file)[0].day == 3
    with pytest.raises(ReadingsError, match=r"differs from d\.toml's site\.placing 2026-11-02T08:00"):
        choose_placing(None, {"site": {"placing": "2026-11-02T08:00"}}, "d.toml", sensors_file)
    for text, message in (('[[sensor]]\nname = "a"\nx = 1.0\n', r"line 1: key \"sensor.y\""),
                          ('[[sensor]]\nname = "a"\nx = 1.0\ny = 2.0\ncolour = 3\n', r"line 5: key \"sensor.colour\""),
                          ('placing = "2 Nov"\n[[sensor]]\nname = "a"\nx = 1.0\ny = 2.0\n', r"line 1: key \"placing\"")):
        with pytest.raises(ReadingsError, match=message):
            SensorsFile(write(tmp_path, "bad.toml", text))


def test_a_sensor_is_found_in_its_element_and_weighs_its_corners_by_the_inverse_map():
    # Two elements, the second distorted: the shape functions at a point give its own coordinates back
    # (so any field linear in X and Y is interpolated exactly), corners and edges included.
    X = [0.0, 100.0, 230.0, 0.0, 120.0, 210.0]
    Y = [0.0, 0.0, 20.0, 100.0, 90.0, 140.0]
    mesh = Mesh(6, 2, X, Y, [[1, 2, 5, 4], [2, 3, 6, 5]])
    for x, y, element in ((50.0, 50.0, 1), (170.0, 70.0, 2), (0.0, 0.0, 1), (200.0, 120.0, 2), (110.0, 45.0, 1)):
        e, nodes, w = locate(mesh, x, y)
        assert e == element
        xi_x = sum(wk * X[n] for wk, n in zip(w, nodes))
        xi_y = sum(wk * Y[n] for wk, n in zip(w, nodes))
        assert (xi_x, xi_y) == pytest.approx((x, y), abs=1e-9)
    assert locate(mesh, 250.0, 10.0) is None


# ---------------------------------------------------------------------------------------------------
# Compare, calibrate, forecast

@needs_binary
def test_bad_inputs_write_nothing(tmp_path):
    description = write(tmp_path, "wall.toml", WALL)
    write(tmp_path, "sensors.toml", SENSORS.replace("x = 25.0", "x = 425.0"))
    readings = write(tmp_path, "readings.csv", "hours,core\n2,21.0\n")
    before = sorted(os.listdir(tmp_path))
    assert run_tool(["compare", description, str(tmp_path / "sensors.toml"), readings]) == 2
    assert run_tool(["calibrate", description, str(tmp_path / "sensors.toml"), readings,
                     "--fit", "concrete.adiabatic_rise.Q=1:2"]) == 2
    assert sorted(os.listdir(tmp_path)) == before
    # A file at the calibrated description's name that the tool did not write is kept.
    write(tmp_path, "sensors.toml", SENSORS)
    write(tmp_path, "wall-calibrated.toml", "# mine\n")
    assert run_tool(["calibrate", description, str(tmp_path / "sensors.toml"), readings,
                     "--fit", "concrete.adiabatic_rise.K=30:60"]) == 2
    assert (tmp_path / "wall-calibrated.toml").read_text() == "# mine\n"
    assert not (tmp_path / "wall-sensors").exists()


@needs_binary
def test_outside_and_unknown_keys_are_named(tmp_path, capsys):
    description = write(tmp_path, "wall.toml", WALL)
    write(tmp_path, "sensors.toml", SENSORS.replace("x = 25.0", "x = 425.0"))
    readings = write(tmp_path, "readings.csv", "hours,core\n2,21.0\n")
    run_tool(["compare", description, str(tmp_path / "sensors.toml"), readings])
    assert re.search(r"sensors\.toml, line 6: sensor \"face\" at X = 425, Y = 600 mm is outside the section",
                     capsys.readouterr().err)
    run_tool(["calibrate", description, str(tmp_path / "sensors.toml"), readings, "--fit", "concrete.Q=1:2"])
    assert "--fit concrete.Q=1:2: key \"concrete.Q\": the description has no 'Q'" in capsys.readouterr().err


@needs_binary
def test_fit_recovers_known_values_and_forecasts_their_verdict(tmp_path):
    true = {"concrete.adiabatic_rise.K": 52.0, "boundary[0].h[0][1]": 5.0}
    readings = synthetic(tmp_path, true, noise=0.3)
    description = write(tmp_path, "wall.toml", WALL)
    out = tmp_path / "report"
    status = run_tool(["forecast", description, str(tmp_path / "sensors.toml"), readings, "--out", str(out),
                       "--fit", "concrete.adiabatic_rise.K=30:70", "--fit", "boundary[0].h[0][1]=2:20"])
    assert status == 0
    fit = json.loads((out / "fit.json").read_text())
    assert fit["converged"]
    for value, se, expected in zip(fit["values"], fit["standard_errors"], true.values()):
        assert abs(value - expected) <= se, (value, se, expected)
    assert fit["rms_before_c"] > 2.0 and fit["rms_after_c"] == pytest.approx(0.3, abs=0.05)

    # The known description run to its verdict, against the forecast of the calibrated one.
    known = tomllib.loads(WALL)
    known["concrete"]["adiabatic_rise"]["K"] = 52.0
    known["boundary"][0]["h"][0][1] = 5.0
    from thermocrack_tools.sensor_commands import run_job
    from thermocrack_tools.sensor_model import toml_text
    _, s = run_job(BINARY, toml_text(known), str(tmp_path / "known"), 0.2)
    forecast = fit["verdict"]["calibrated"]
    assert abs(forecast["lowest_index"] - s.lowest_index) <= 0.02
    assert abs(fit["verdict"]["as_described"]["lowest_index"] - s.lowest_index) > 0.02

    calibrated = (tmp_path / "wall-calibrated.toml").read_text()
    assert calibrated.startswith("# Calibrated by thermocrack-sensors")
    assert tomllib.loads(calibrated)["concrete"]["adiabatic_rise"]["K"] == pytest.approx(fit["values"][0], rel=1e-6)
    assert re.search(r"\nadiabatic_rise = \{ K = 51\.9\d+, alpha = 1\.1 \}   # the mix as designed\n", calibrated)
    page = (out / "report.html").read_text()
    assert page.count("<svg") == 4 and "Cracking verdict with and without the calibration" in page
    assert "<script" not in page and "<link" not in page and "<img" not in page


@needs_binary
def test_indistinguishable_keys_are_flagged_and_a_bad_start_converges_or_says_not(tmp_path):
    readings = synthetic(tmp_path, {"concrete.adiabatic_rise.K": 52.0}, noise=0.3)
    description = write(tmp_path, "wall.toml", WALL)
    sensors = str(tmp_path / "sensors.toml")
    # Only the product density x specific heat enters the heat analysis.
    assert run_tool(["calibrate", description, sensors, readings, "--out", str(tmp_path / "a"),
                     "--fit", "concrete.density=2000:2800", "--fit", "concrete.specific_heat=800:1400"]) in (0, 1)
    fit = json.loads((tmp_path / "a" / "fit.json").read_text())
    assert any("concrete.density and concrete.specific_heat cannot be told apart" in w for w in fit["warnings"])

    # From the far end of its range the fit finds K; stopped after two evaluations it says it did not.
    assert run_tool(["calibrate", description, sensors, readings, "--out", str(tmp_path / "b"),
                     "--fit", "concrete.adiabatic_rise.K=30:70", "--start", "concrete.adiabatic_rise.K=69"]) == 0
    fit = json.loads((tmp_path / "b" / "fit.json").read_text())
    assert fit["converged"] and abs(fit["values"][0] - 52.0) <= 2.0 * fit["standard_errors"][0]
    assert run_tool(["calibrate", description, sensors, readings, "--out", str(tmp_path / "c"), "--force",
                     "--fit", "concrete.adiabatic_rise.K=30:70", "--start", "concrete.adiabatic_rise.K=69",
                     "--max-evaluations", "2"]) == 1
    fit = json.loads((tmp_path / "c" / "fit.json").read_text())
    assert not fit["converged"] and "did not converge" in fit["warnings"][0]
    assert "did NOT converge" in (tmp_path / "c" / "report.html").read_text()

    # A bound the readings push against is said.
    assert run_tool(["calibrate", description, sensors, readings, "--out", str(tmp_path / "d"),
                     "--fit", "concrete.adiabatic_rise.K=30:48"]) == 0
    fit = json.loads((tmp_path / "d" / "fit.json").read_text())
    assert any("sits on its upper bound" in w for w in fit["warnings"])
