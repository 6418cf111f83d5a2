"""thermocrack-sensors: compare a description's heat analysis with measured temperatures, calibrate
keys of the description to them, and forecast the cracking verdict with the calibrated description.

Every input is read and checked (sensors, readings, keys, the first heat analysis) before anything is
written; the report folder is written beside as FOLDER.partial and moved into place when complete.
"""

import argparse
import datetime
import json
import math
import os
import shutil
import subprocess
import sys
import time
import tomllib

import numpy as np

from .sensor_readings import (FitKey, Readings, ReadingsError, SensorsFile, choose_placing, read_readings,
                              read_weather)
from .sensor_model import Model, ModelError, edited_description, numeric_key, output_ages, toml_text

CALIBRATED_MARK = "# Calibrated by thermocrack-sensors"


class CommandError(Exception):
    pass


def find_thermocrack(given):
    if given:
        return given
    here = os.path.dirname(os.path.realpath(sys.argv[0] or "."))
    for place in (os.path.join(here, "thermocrack"), os.path.join(here, "..", "build", "thermocrack")):
        if os.path.isfile(place) and os.access(place, os.X_OK):
            return os.path.normpath(place)
    return shutil.which("thermocrack") or "thermocrack"


def parse_fit_option(text):
    """KEY=LOW:HIGH, or KEY1,KEY2=LOW:HIGH for keys that take one value"""
    try:
        key, bounds = text.rsplit("=", 1)
        low, high = bounds.split(":")
        return FitKey([k.strip() for k in key.split(",")], float(low), float(high), f"--fit {text}")
    except ValueError:
        raise CommandError(f"--fit {text}: give KEY=LOW:HIGH, e.g. concrete.adiabatic_rise.K=30:60") from None


def parse_start_option(text):
    try:
        key, value = text.split("=", 1)
        return key.strip(), float(value)
    except ValueError:
        raise CommandError(f"--start {text}: give KEY=VALUE") from None


class Inputs:
    """Everything read and checked before any heat analysis."""

    def __init__(self, args):
        self.description_path = args.description
        try:
            with open(args.description, "rb") as f:
                self.description = tomllib.load(f)
        except OSError as e:
            raise CommandError(f"{args.description}: cannot be read ({e.strerror})") from None
        except tomllib.TOMLDecodeError as e:
            raise CommandError(f"{args.description}: {e}") from None
        self.sensors_file = SensorsFile(args.sensors)
        self.sensors = self.sensors_file.sensors
        self.placing, self.placing_from = choose_placing(args.placing, self.description, args.description,
                                                         self.sensors_file)
        self.weather, self.weather_path = None, args.weather
        if args.weather:
            self.weather = read_weather(args.weather, self.placing)
            if not isinstance(self.description.get("ambient"), dict):
                raise CommandError(f"{args.description}: has no [ambient] for --weather to replace")
            self.description["ambient"]["temperature"] = self.weather
        self.readings_files = list(args.readings) or self.sensors_file.readings
        if not self.readings_files:
            raise CommandError(f"no readings: name readings files on the command line or in {args.sensors} "
                               f"(readings = [\"...\"])")
        self.readings = Readings()
        for path in self.readings_files:
            read_readings(path, self.sensors, self.placing, self.readings)
        if not len(self.readings):
            raise CommandError("the readings files hold no reading")
        self.ages = output_ages(self.readings.age)
        self.fit_keys = []
        if getattr(args, "fit", None) is not None:
            self.fit_keys = [parse_fit_option(t) for t in args.fit] or self.sensors_file.fit
            if not self.fit_keys:
                raise CommandError(f"nothing to fit: give --fit KEY=LOW:HIGH or [[fit]] tables in {args.sensors}")
        starts = dict(parse_start_option(t) for t in getattr(args, "start", None) or [])
        self.start = []
        for k in self.fit_keys:
            values = {numeric_key(self.description, path, k.where) for path in k.paths}
            if len(values) > 1:
                raise CommandError(f"{k.where}: keys {', '.join(k.paths)} take one value but differ in "
                                   f"{self.description_path}: " + ", ".join(f"{v:g}" for v in sorted(values)))
            value = values.pop()
            if not k.low < k.high:
                raise CommandError(f"{k.where}: key \"{k.key}\": low {k.low:g} must be below high {k.high:g}")
            for name in [k.key] + k.paths:
                value = starts.pop(name, value)
            if not k.low <= value <= k.high:
                raise CommandError(f"{k.where}: key \"{k.key}\": the start {value:g} is outside {k.low:g} to {k.high:g}")
            self.start.append(value)
        if starts:
            raise CommandError(f"--start {next(iter(starts))}: is not a fitted key")


def shown_path(path):
    """A path as the report shows it: relative to the current folder when it lies inside."""
    relative = os.path.relpath(path)
    return path if relative.startswith("..") else relative


def describe_inputs(inputs, weather):
    r = inputs.readings
    return {"name": os.path.splitext(os.path.basename(inputs.description_path))[0],
            "description": shown_path(inputs.description_path), "sensors_file": shown_path(inputs.sensors_file.path),
            "readings_files": [shown_path(p) for p in inputs.readings_files], "reading_count": len(r),
            "sensor_count": len(inputs.sensors), "weather": shown_path(weather) if weather else None,
            "first_age": round(min(r.age), 4), "last_age": round(max(r.age), 4),
            "placing": inputs.placing.isoformat(sep=" ", timespec="minutes") if inputs.placing else None,
            "placing_from": inputs.placing_from}


def default_out(description_path, suffix):
    stem = os.path.splitext(description_path)[0]
    return f"{stem}-{suffix}"


def progress_printer(quiet):
    started = time.monotonic()

    def show(n, values, rms):
        if not quiet:
            shown = ", ".join(f"{v:.5g}" for v in values)
            print(f"  evaluation {n}: [{shown}] RMS {rms:.3f} C ({time.monotonic() - started:.1f} s)", file=sys.stderr)
    return show


def calibrated_text(inputs, fit, calibrated_values, when):
    """The calibrated description: comment lines with the fit, then the original text with the fitted
    values (and --weather's ambient) put in, its comments kept; written afresh if the edit cannot be made."""
    lines = [f"{CALIBRATED_MARK} on {when}",
             f"# from {os.path.basename(inputs.description_path)} and the readings of "
             f"{os.path.basename(inputs.sensors_file.path)} ({len(inputs.readings)} readings, "
             + ", ".join(os.path.basename(p) for p in inputs.readings_files) + ").",
             "# Fitted keys (value +- approximate standard error; start; bounds):"]
    for k, v, se, x0 in zip(inputs.fit_keys, calibrated_values, fit.se, fit.start):
        lines.append(f"#   {k.key} = {v:.6g} +- {se:.2g}   (start {x0:g}; {k.low:g} to {k.high:g})")
    rms0 = math.sqrt(float(np.mean(fit.before ** 2)))
    rms1 = math.sqrt(float(np.mean(fit.after ** 2)))
    lines.append(f"# RMS error at the sensors: {rms0:.3f} C before, {rms1:.3f} C after.")
    for w in fit.warnings:
        lines.append(f"# Warning: {w}")
    changes = {path: v for k, v in zip(inputs.fit_keys, calibrated_values) for path in k.paths}
    if inputs.weather is not None:
        lines.append("# The ambient temperature is that of the weather file " + os.path.basename(inputs.weather_path) + ".")
        changes["ambient.temperature"] = inputs.weather
    expected = inputs.model.with_values(calibrated_values)
    with open(inputs.description_path, encoding="utf-8") as f:
        edited = edited_description(f.read(), changes, expected)
    if edited is not None:
        lines.append("# Below, the original with these values put in; its comments are as written there (they may "
                     "quote values from before the calibration).")
        body = edited.lstrip("\n")
    else:
        lines.append("# Below, the original description as read, written afresh (its comments are not kept).")
        body = toml_text(expected) + "\n"
    return "\n".join(lines) + "\n\n" + body


def run_job(thermocrack, text, folder, allowable_width):
    """Prepares and runs a description in folder/job; gives the job and its summary."""
    from .job_files import load_job
    from .summary import summarise
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "description.toml")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    job = os.path.join(folder, "job")
    for command, log in (([thermocrack, "prepare", path, "--out", job], "prepare.log"),
                         ([thermocrack, "--quiet", job], "run.log")):
        with open(os.path.join(folder, log), "wb") as out:
            done = subprocess.run(command, stdout=out, stderr=subprocess.STDOUT)
        if done.returncode != 0:
            raise CommandError(f"{' '.join(command)} failed (exit {done.returncode}); see {os.path.join(folder, log)}")
    loaded = load_job(job)
    return loaded, summarise(loaded, allowable_width)


def job_sensor_temperatures(job, sensors):
    """Ages and temperatures (ages x sensors) of a run job's .tmp at the sensors."""
    ages = np.array([b.Age for b in job.temperatures])
    T = np.array([[sum(w * b.T[n] for n, w in zip(s.nodes, s.weights)) for s in sensors] for b in job.temperatures])
    return ages, T


def run(args):
    import matplotlib
    matplotlib.use("Agg")
    from .calibration import ErrorStats, Problem, calibrate
    from .sensor_report import (error_rows, figure_svgs, render, sensor_figure, verdict_rows, write_error_table,
                                write_page)
    started = time.monotonic()
    inputs = Inputs(args)
    thermocrack = find_thermocrack(args.thermocrack)
    keys = [k.key for k in inputs.fit_keys]
    model = Model(inputs.description, inputs.description_path, [k.paths for k in inputs.fit_keys], thermocrack,
                  inputs.sensors, inputs.sensors_file.path)
    inputs.model = model
    out = args.out or default_out(args.description, "sensors")
    partial = out.rstrip("/") + ".partial"
    calibrated_path = default_out(args.description, "calibrated") + ".toml"
    if inputs.fit_keys:
        check_calibrated(calibrated_path, args.force)
    try:
        problem = Problem(model, inputs.readings, inputs.ages)
        T0 = problem.temperatures(inputs.start)     # also places the sensors: errors before anything is written
        stats0 = ErrorStats(problem.residuals(inputs.start), problem.sensor, inputs.sensors)
        context = describe_inputs(inputs, args.weather)
        context.update(headline=None, tone="good", lines=[], verdicts=None, fit=None, warnings=[], correlation=None,
                       fit_words="", calibrated=None, has_after=False)
        fit = None
        if inputs.fit_keys:
            if not args.quiet:
                print(f"thermocrack-sensors: fitting {', '.join(keys)} to {len(inputs.readings)} readings",
                      file=sys.stderr)
            fit = calibrate(problem, inputs.fit_keys, inputs.start, args.max_evaluations,
                            progress_printer(args.quiet))
            stats1 = ErrorStats(fit.after, problem.sensor, inputs.sensors)
            T1 = problem.temperatures(fit.values)
            context["has_after"] = True
            context["fit"] = [{"key": k.key, "start": f"{x0:.4g}", "value": f"{v:.4g}", "se": f"{se:.2g}",
                               "low": k.low, "high": k.high}
                              for k, x0, v, se in zip(inputs.fit_keys, fit.start, fit.values, fit.se)]
            context["warnings"] = fit.warnings
            if len(keys) > 1:
                context["correlation"] = {"names": keys, "rows": [(k, [f"{v:+.2f}" for v in row])
                                                                  for k, row in zip(keys, fit.correlation)]}
            status = "converged" if fit.converged else "did NOT converge"
            context["fit_words"] = (f"The fit {status} after {fit.iterations} evaluations of the residuals "
                                    f"({fit.evaluations} heat analyses with the Jacobian's); the RMS error over all "
                                    f"readings went from {stats0.all['rms']:.2f} C to {stats1.all['rms']:.2f} C, "
                                    f"the scatter left being {fit.sigma:.2f} C.")
            # The calibrated description holds six significant digits: the forecast runs the same values.
            calibrated_values = [float(f"{v:.6g}") for v in fit.values]
            context["calibrated"] = shown_path(calibrated_path)
            calibrated_content = calibrated_text(inputs, fit, calibrated_values,
                                                 datetime.datetime.now().strftime("%Y-%m-%d %H:%M"))
        else:
            stats1, T1 = None, None
        context["errors"] = error_rows(stats0, stats1)

        verdict = None
        forecast = {}
        if args.command == "forecast":
            os.makedirs(partial, exist_ok=True)
            original_text = toml_text(inputs.description) + "\n"
            job0, s0 = run_job(thermocrack, original_text, os.path.join(partial, "as-described"), args.allowable_width)
            job1, s1 = run_job(thermocrack, calibrated_content, os.path.join(partial, "calibrated"),
                               args.allowable_width)
            for name, job in (("as-described", job0), ("calibrated", job1)):
                forecast[name] = job_sensor_temperatures(job, inputs.sensors)
            context["verdicts"] = verdict_rows(s0, s1)
            verdict = (s0, s1)
            context.update(forecast_headline(s0, s1, inputs, fit))

        figures = []
        last = max(inputs.readings.age)
        for j, s in enumerate(inputs.sensors):
            mask = problem.sensor == j
            measured = (np.array(inputs.readings.age)[mask], problem.measured[mask])
            curves = [("as described" if fit else "computed", problem.ages, T0[:, j],
                       {"color": "tab:blue", "lw": 1.0, "ls": "--" if fit else "-"})]
            if fit:
                curves.append(("fitted", problem.ages, T1[:, j], {"color": "tab:red", "lw": 1.4}))
            if forecast:
                a, T = forecast["as-described"]
                curves.append(("forecast as described", a, T[:, j], {"color": "tab:blue", "lw": 0.8, "ls": ":"}))
                a, T = forecast["calibrated"]
                keep = a >= last - 1e-9
                curves.append(("forecast calibrated", a[keep], T[keep, j], {"color": "tab:red", "lw": 1.4, "ls": "-."}))
            figures.append((s, sensor_figure(s, measured, curves, last if forecast else None)))
        context["figures"] = figure_svgs(figures)
        html = render(context)

        # Everything is worked out: now write.
        os.makedirs(partial, exist_ok=True)
        write_page(os.path.join(partial, "report.html"), html)
        write_error_table(os.path.join(partial, "errors.csv"), stats0, stats1)
        written = [os.path.join(out, "report.html"), os.path.join(out, "errors.csv")]
        if fit is not None:
            record = {"keys": keys, "start": list(map(float, fit.start)), "values": list(map(float, fit.values)),
                      "standard_errors": [float(x) if math.isfinite(x) else None for x in fit.se],
                      "correlation": [[float(v) for v in row] for row in fit.correlation],
                      "converged": bool(fit.converged), "message": fit.message, "warnings": fit.warnings,
                      "rms_before_c": stats0.all["rms"], "rms_after_c": stats1.all["rms"],
                      "residual_sd_c": fit.sigma, "evaluations": fit.evaluations,
                      "seconds": round(time.monotonic() - started, 2)}
            if verdict:
                record["verdict"] = {"as_described": verdict[0].row(), "calibrated": verdict[1].row()}
            with open(os.path.join(partial, "fit.json"), "w", encoding="utf-8") as f:
                json.dump(record, f, indent=2, default=lambda v: None)
                f.write("\n")
            written.append(os.path.join(out, "fit.json"))
            write_calibrated(calibrated_path, calibrated_content)
            written.append(calibrated_path)
        if os.path.isdir(out):
            shutil.rmtree(out)
        os.replace(partial, out)
    except BaseException:
        shutil.rmtree(partial, ignore_errors=True)
        raise
    finally:
        model.close()
    for path in written:
        print(path)
    if fit is not None:
        for k, v, se in zip(keys, fit.values, fit.se):
            print(f"  {k} = {v:.5g} +- {se:.2g}", file=sys.stderr)
        for w in fit.warnings:
            print(f"thermocrack-sensors: warning: {w}", file=sys.stderr)
        if not fit.converged:
            return 1
    return 0


def check_calibrated(path, force):
    """A file at the calibrated description's name that this tool did not write is kept unless force."""
    if os.path.exists(path) and not force:
        with open(path, encoding="utf-8", errors="replace") as f:
            if not f.read(len(CALIBRATED_MARK)) == CALIBRATED_MARK:
                raise CommandError(f"{path}: exists and was not written by thermocrack-sensors; "
                                   f"give --force to replace it")


def write_calibrated(path, text):
    with open(path + ".part", "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(path + ".part", path)


def forecast_headline(s0, s1, inputs, fit):
    def words(s):
        return f"cracks at {s.first_crack_age_d:g} days" if s.cracked else f"does not crack up to {s.last_age_d:g} days"
    moved = "; ".join(f"{k.key} {x0:.4g} -> {v:.4g}" for k, x0, v in zip(inputs.fit_keys, fit.start, fit.values))
    headline = f"Calibrated to the readings, the section {words(s1)}."
    lines = [f"As described it {words(s0)}; the readings moved {moved}.",
             f"Lowest crack index {s0.lowest_index:.2f} as described, {s1.lowest_index:.2f} calibrated "
             f"(cracking probability {s0.cracking_probability_pct:.0f} % and {s1.cracking_probability_pct:.0f} %)."
             if s0.lowest_index_element is not None and s1.lowest_index_element is not None else
             "No element is in tension in one of the runs.",
             f"Largest crack width {s0.largest_width_mm:.3f} mm as described, {s1.largest_width_mm:.3f} mm calibrated "
             f"(allowable {s1.allowable_width_mm:g} mm)."
             if s0.largest_width_bar and s1.largest_width_bar else "A run has no crack width."]
    tone = "bad" if s1.cracked and not s1.width_within_allowable else ("warn" if s1.cracked or
                                                                     (s1.lowest_index or 9) < 1.4 else "good")
    return {"headline": headline, "lines": lines, "tone": tone}


def parser():
    p = argparse.ArgumentParser(
        prog="thermocrack-sensors",
        description="Measured temperatures against a description's heat analysis: compare them, calibrate "
                    "keys of the description to them, forecast the cracking verdict.",
        epilog="Exit status: 0 when done, 1 when the fit did not converge (its report is written), 2 on an error.")
    sub = p.add_subparsers(dest="command", required=True, metavar="compare|calibrate|forecast")
    for name, words in (("compare", "the computed temperatures at the sensors against the readings"),
                        ("calibrate", "fit keys of the description to the readings; writes NAME-calibrated.toml"),
                        ("forecast", "calibrate, then run the original and calibrated descriptions to the "
                                     "cracking verdict")):
        c = sub.add_parser(name, help=words, description=words)
        c.add_argument("description", metavar="DESCRIPTION.toml", help="the job description (thermocrack prepare)")
        c.add_argument("sensors", metavar="SENSORS.toml", help="the sensors file")
        c.add_argument("readings", metavar="READINGS.csv", nargs="*",
                       help="readings files (default: those the sensors file names)")
        c.add_argument("--placing", metavar="YYYY-MM-DDTHH:MM",
                       help="the placing date and time (default: [site] placing of the description, or the "
                            "sensors file's placing)")
        c.add_argument("--weather", metavar="AIR.csv",
                       help="air temperatures on site and forecast (time or hours, temperature): replace the "
                            "description's [ambient] temperature")
        c.add_argument("--out", metavar="DIR", help="report folder (default: DESCRIPTION-sensors beside it)")
        c.add_argument("--thermocrack", metavar="PROGRAM", help="the thermocrack program (default: beside this "
                                                                 "tool, build/thermocrack, or on PATH)")
        c.add_argument("--quiet", action="store_true", help="no progress")
        if name != "compare":
            c.add_argument("--fit", metavar="KEY=LOW:HIGH", action="append", default=[],
                           help="a key of the description to fit, with its bounds (repeat; default: the "
                                "sensors file's [[fit]] tables)")
            c.add_argument("--start", metavar="KEY=VALUE", action="append", default=[],
                           help="start a fitted key here instead of at the description's value")
            c.add_argument("--max-evaluations", metavar="N", type=int, default=60,
                           help="evaluations of the residuals before the fit gives up (default 60)")
            c.add_argument("--force", action="store_true",
                           help="replace a NAME-calibrated.toml this tool did not write")
        c.add_argument("--allowable-width", metavar="MM", type=float, default=0.2,
                       help="allowable crack width for the verdict (mm, default 0.2)")
    return p


def main(argv=None):
    args = parser().parse_args(argv)
    try:
        return run(args)
    except (CommandError, ReadingsError, ModelError) as e:
        print(f"thermocrack-sensors: error: {e}", file=sys.stderr)
        return 2
    except ImportError as e:
        print(f"thermocrack-sensors: {e.name} is missing; on Debian: apt-get install -y python3-scipy "
              f"python3-matplotlib python3-jinja2", file=sys.stderr)
        return 2
