"""Measured temperatures: the sensors file (names, positions, what the calibration may move) and the
readings files loggers export, turned into ages in days since placing.

Sensors file (TOML):

    placing = "2026-11-02T07:30"      # optional: used when the description has no [site] placing
    readings = ["logger.csv"]         # optional: readings files, relative to this file

    [[sensor]]
    name = "S1"                       # as in the readings' header or sensor column
    x = 200.0                         # mm, in the section's coordinates
    y = 1500.0
    label = "core, mid-height"        # optional

    [[fit]]                           # optional: a key of the description the calibration may move
    key = "concrete.adiabatic_rise.K"   # or a list of keys that take one value:
    low = 30.0                          # ["boundary[0].h[0][1]", "boundary[1].h[0][1]"]
    high = 60.0

Readings files (CSV, comma or semicolon, lines starting with # are notes):

    wide:  time,S1,S2,...         time as date-time "YYYY-MM-DD HH:MM[:SS]" (or with T)
           hours,S1,S2,...        or hours since placing; an empty cell is a missing reading
    long:  sensor,time,value      (or sensor,hours,value), one reading a line

Every error names the file, the line and the column.
"""

import csv
import datetime
import math
import os
import re
import tomllib

# Where the description keeps the placing date and time; the one place to change when [site] moves.
SITE_TABLE = "site"
SITE_PLACING_KEY = "placing"

TIME_HEADERS = ("time", "date", "datetime", "date_time", "timestamp")
HOURS_HEADERS = ("hours", "hours_since_placing", "age_h")
SENSORS_KEYS = {"placing", "readings", "sensor", "fit"}
SENSOR_KEYS = {"name", "x", "y", "label"}
FIT_KEYS = {"key", "low", "high"}


class ReadingsError(Exception):
    """A sensors or readings file that cannot be used; the message names the file, line and column."""


def parse_datetime(text):
    """A date and time "YYYY-MM-DD HH:MM[:SS]" (a T or a blank between), or "YYYY/MM/DD ..."; None if not one."""
    s = text.strip().replace("/", "-")
    m = re.fullmatch(r"(\d{4})-(\d{1,2})-(\d{1,2})(?:[T ]+(\d{1,2}):(\d{2})(?::(\d{2}(?:\.\d*)?))?)?", s)
    if not m:
        return None
    year, month, day, hour, minute, second = m.groups()
    try:
        whole = float(second or 0.0)
        return datetime.datetime(int(year), int(month), int(day), int(hour or 0), int(minute or 0),
                                 int(whole), int(round((whole - int(whole)) * 1e6)))
    except ValueError:
        return None


def _line_of(text, pattern, start=0):
    """The line (from 1) of the first match of pattern at or after line start (from 0)."""
    lines = text.splitlines()
    for i in range(start, len(lines)):
        if re.search(pattern, lines[i]):
            return i + 1
    return start + 1 if start < len(lines) else 1


def _table_lines(text, name):
    """The line (from 0) of every [[name]] head."""
    return [i for i, line in enumerate(text.splitlines()) if re.match(r"\s*\[\[\s*" + name + r"\s*\]\]", line)]


class Sensor:
    def __init__(self, name, x, y, label, line):
        self.name, self.x, self.y, self.label, self.line = name, x, y, label, line
        self.element = None      # the element of the job's mesh that holds it (from 1)
        self.nodes = None        # its four corner nodes (from 0)
        self.weights = None      # the bilinear shape functions at the sensor


class FitKey:
    """A fitted value: the keys of the description it sets (several take the same value), its bounds."""

    def __init__(self, paths, low, high, where):
        self.paths = [paths] if isinstance(paths, str) else list(paths)
        self.key = " = ".join(self.paths)
        self.low, self.high, self.where = low, high, where


class SensorsFile:
    """The sensors, the placing date-time it gives (or None), its readings files and [[fit]] keys."""

    def __init__(self, path):
        self.path = path
        try:
            with open(path, "rb") as f:
                self.text = f.read().decode("utf-8")
            data = tomllib.loads(self.text)
        except OSError as e:
            raise ReadingsError(f"{path}: cannot be read ({e.strerror})") from None
        except (UnicodeDecodeError, tomllib.TOMLDecodeError) as e:
            raise ReadingsError(f"{path}: {e}") from None
        for key in data:
            if key not in SENSORS_KEYS:
                self.fail(_line_of(self.text, r"^\s*" + re.escape(key) + r"\b"), key,
                          "is not a key of a sensors file (known: " + ", ".join(sorted(SENSORS_KEYS)) + ")")
        self.placing = None
        if "placing" in data:
            self.placing = self._datetime(data["placing"], _line_of(self.text, r"^\s*placing\s*="), "placing")
        readings = data.get("readings", [])
        if isinstance(readings, str):
            readings = [readings]
        if not isinstance(readings, list) or not all(isinstance(r, str) for r in readings):
            self.fail(_line_of(self.text, r"^\s*readings\s*="), "readings", "must be a file name or a list of them")
        here = os.path.dirname(os.path.abspath(path))
        self.readings = [os.path.join(here, r) for r in readings]
        self.sensors = self._sensors(data.get("sensor"))
        self.fit = self._fit(data.get("fit", []))

    def fail(self, line, key, why):
        raise ReadingsError(f"{self.path}, line {line}: key \"{key}\": {why}")

    def _datetime(self, value, line, key):
        if isinstance(value, datetime.datetime):
            return value.replace(tzinfo=None)
        if isinstance(value, str) and parse_datetime(value):
            return parse_datetime(value)
        self.fail(line, key, f"{value!r} is not a date and time YYYY-MM-DDTHH:MM")

    def _sensors(self, entries):
        heads = _table_lines(self.text, "sensor")
        if not isinstance(entries, list) or not entries:
            self.fail(1, "sensor", "the file lists no [[sensor]]")
        sensors, names = [], set()
        for k, entry in enumerate(entries):
            line = heads[k] + 1 if k < len(heads) else 1
            for key in entry:
                if key not in SENSOR_KEYS:
                    self.fail(_line_of(self.text, r"^\s*" + re.escape(key) + r"\b", line - 1), f"sensor.{key}",
                              "is not a key of [[sensor]] (known: " + ", ".join(sorted(SENSOR_KEYS)) + ")")
            name = entry.get("name")
            if not isinstance(name, str) or not name.strip():
                self.fail(line, "sensor.name", "is missing or empty")
            if name in names:
                self.fail(line, "sensor.name", f'"{name}" is named twice')
            names.add(name)
            xy = []
            for axis in ("x", "y"):
                v = entry.get(axis)
                if isinstance(v, bool) or not isinstance(v, (int, float)) or not math.isfinite(v):
                    self.fail(_line_of(self.text, r"^\s*" + axis + r"\s*=", line - 1) if axis in entry else line,
                              f"sensor.{axis}", f"of sensor \"{name}\" must be a number (mm)")
                xy.append(float(v))
            label = entry.get("label", "")
            if not isinstance(label, str):
                self.fail(line, "sensor.label", "must be text")
            sensors.append(Sensor(name, xy[0], xy[1], label, line))
        return sensors

    def _fit(self, entries):
        heads = _table_lines(self.text, "fit")
        fits = []
        if not isinstance(entries, list):
            self.fail(1, "fit", "must be [[fit]] tables")
        for k, entry in enumerate(entries):
            line = heads[k] + 1 if k < len(heads) else 1
            for key in entry:
                if key not in FIT_KEYS:
                    self.fail(line, f"fit.{key}", "is not a key of [[fit]] (known: key, low, high)")
            paths = entry.get("key")
            if not (isinstance(paths, str) or (isinstance(paths, list) and paths
                                               and all(isinstance(p, str) for p in paths))):
                self.fail(line, "fit.key", "is missing: a key of the description, e.g. \"concrete.adiabatic_rise.K\", "
                          "or a list of keys that take the same value")
            bounds = []
            for b in ("low", "high"):
                v = entry.get(b)
                if isinstance(v, bool) or not isinstance(v, (int, float)):
                    self.fail(line, f"fit.{b}", f"of \"{paths}\" must be a number")
                bounds.append(float(v))
            fits.append(FitKey(paths, bounds[0], bounds[1], f"{self.path}, line {line}"))
        return fits


class Readings:
    """Every reading as (sensor index, age in days, value in C), with where it came from."""

    def __init__(self):
        self.sensor = []
        self.age = []
        self.value = []
        self.where = []   # (file, line)

    def __len__(self):
        return len(self.value)


def _dialect(header):
    return ";" if header.count(";") > header.count(",") else ","


def _time_of(cell, hours_column, placing, path, line, column, name):
    """The age in days of a time cell: hours since placing, or a date-time less the placing."""
    text = cell.strip()
    if hours_column:
        try:
            hours = float(text)
        except ValueError:
            raise ReadingsError(f"{path}, line {line}, column {column} ({name}): \"{text}\" is not a number of hours")
        if not math.isfinite(hours):
            raise ReadingsError(f"{path}, line {line}, column {column} ({name}): \"{text}\" is not a number of hours")
        age = hours / 24.0
    else:
        moment = parse_datetime(text)
        if moment is None:
            raise ReadingsError(f"{path}, line {line}, column {column} ({name}): \"{text}\" is not a date and "
                                f"time YYYY-MM-DD HH:MM")
        if placing is None:
            raise ReadingsError(f"{path}, line {line}, column {column} ({name}): a date and time needs the "
                                f"placing date and time ([site] placing in the description, placing in the "
                                f"sensors file, or --placing)")
        age = (moment - placing).total_seconds() / 86400.0
    if age < 0.0:
        raise ReadingsError(f"{path}, line {line}, column {column} ({name}): \"{text}\" is before placing "
                            f"({placing.isoformat(sep=' ', timespec='minutes') if placing else 'hour 0'})")
    return age


def _value_of(cell, path, line, column, name):
    text = cell.strip()
    try:
        value = float(text.replace(",", ".")) if text.count(",") == 1 and "." not in text else float(text)
    except ValueError:
        raise ReadingsError(f"{path}, line {line}, column {column} ({name}): \"{text}\" is not a temperature (C)")
    if not math.isfinite(value) or not -60.0 <= value <= 120.0:
        raise ReadingsError(f"{path}, line {line}, column {column} ({name}): {text} C is not a concrete "
                            f"temperature (expected -60 to 120 C)")
    return value


def read_readings(path, sensors, placing, into=None):
    """Adds the readings of one CSV file (wide or long layout) to `into` (a Readings) and gives it."""
    out = into if into is not None else Readings()
    index = {s.name: k for k, s in enumerate(sensors)}
    parsed, header_line, names, lower = _csv_rows(path)
    long_layout = "sensor" in lower and "value" in lower
    if long_layout:
        time_name = next((h for h in lower if h in TIME_HEADERS + HOURS_HEADERS), None)
        if time_name is None or len(lower) != 3:
            raise ReadingsError(f"{path}, line {header_line}: a long layout has the three columns sensor, time "
                                f"(or hours) and value; found {', '.join(names)}")
        cs, ct, cv = lower.index("sensor"), lower.index(time_name), lower.index("value")
        hours = time_name in HOURS_HEADERS
    else:
        if lower[0] not in TIME_HEADERS + HOURS_HEADERS:
            raise ReadingsError(f"{path}, line {header_line}, column 1: \"{names[0]}\" is not a time column: the "
                                f"first column is time (date and time) or hours (since placing), or the file has "
                                f"the columns sensor, time, value")
        hours = lower[0] in HOURS_HEADERS
        for c, name in enumerate(names[1:], start=2):
            if name not in index:
                raise ReadingsError(f"{path}, line {header_line}, column {c}: sensor \"{name}\" is not in the "
                                    f"sensors file (known: {', '.join(index)})")
    for line, cells in parsed[1:]:
        if len(cells) != len(names):
            raise ReadingsError(f"{path}, line {line}: {len(cells)} columns where the header has {len(names)}")
        if long_layout:
            name = cells[cs].strip()
            if name not in index:
                raise ReadingsError(f"{path}, line {line}, column {cs + 1}: sensor \"{name}\" is not in the "
                                    f"sensors file (known: {', '.join(index)})")
            age = _time_of(cells[ct], hours, placing, path, line, ct + 1, names[ct])
            if cells[cv].strip():
                out.sensor.append(index[name])
                out.age.append(age)
                out.value.append(_value_of(cells[cv], path, line, cv + 1, name))
                out.where.append((path, line))
        else:
            age = _time_of(cells[0], hours, placing, path, line, 1, names[0])
            for c in range(1, len(names)):
                if cells[c].strip():
                    out.sensor.append(index[names[c]])
                    out.age.append(age)
                    out.value.append(_value_of(cells[c], path, line, c + 1, names[c]))
                    out.where.append((path, line))
    return out


WEATHER_HEADERS = ("temperature", "air", "ambient")


def _csv_rows(path):
    """The CSV file's rows that are neither blank nor comments, as (line number, fields), in the
    delimiter its header uses; with the header's line, names and lower-case names."""
    try:
        with open(path, encoding="utf-8-sig", newline="") as f:
            lines = f.read().splitlines()
    except OSError as e:
        raise ReadingsError(f"{path}: cannot be read ({e.strerror})") from None
    except UnicodeDecodeError as e:
        raise ReadingsError(f"{path}: is not UTF-8 text ({e.reason})") from None
    rows = [(n, line) for n, line in enumerate(lines, start=1) if line.strip() and not line.lstrip().startswith("#")]
    if not rows:
        raise ReadingsError(f"{path}: holds no header line")
    delimiter = _dialect(rows[0][1])
    parsed = [(n, next(csv.reader([line], delimiter=delimiter))) for n, line in rows]
    header_line, header = parsed[0]
    names = [h.strip() for h in header]
    return parsed, header_line, names, [h.lower() for h in names]


def read_weather(path, placing):
    """An air temperature file (the weather logged on site and its forecast beyond): a time column
    (date-time or hours, as readings) and a temperature column; gives [[age, C], ...] with increasing ages."""
    parsed, header_line, names, lower = _csv_rows(path)
    if len(lower) != 2 or lower[0] not in TIME_HEADERS + HOURS_HEADERS or lower[1] not in WEATHER_HEADERS:
        raise ReadingsError(f"{path}, line {header_line}: a weather file has two columns, time (or hours) and "
                            f"temperature; found {', '.join(names)}")
    points = []
    for line, cells in parsed[1:]:
        if len(cells) != 2:
            raise ReadingsError(f"{path}, line {line}: {len(cells)} columns where the header has 2")
        age = _time_of(cells[0], lower[0] in HOURS_HEADERS, placing, path, line, 1, names[0])
        value = _value_of(cells[1], path, line, 2, names[1])
        if points and age <= points[-1][0]:
            raise ReadingsError(f"{path}, line {line}, column 1 ({names[0]}): the times must increase")
        points.append([round(age, 6), value])
    if not points:
        raise ReadingsError(f"{path}: holds no temperature")
    return points


def description_placing(description, path):
    """The placing date and time the description's [site] gives, or None."""
    site = description.get(SITE_TABLE)
    if not isinstance(site, dict) or SITE_PLACING_KEY not in site:
        return None
    value = site[SITE_PLACING_KEY]
    if isinstance(value, datetime.datetime):
        return value.replace(tzinfo=None)
    if isinstance(value, str) and parse_datetime(value):
        return parse_datetime(value)
    raise ReadingsError(f"{path}: key \"{SITE_TABLE}.{SITE_PLACING_KEY}\": {value!r} is not a date and time "
                        f"YYYY-MM-DDTHH:MM")


def choose_placing(option, description, description_path, sensors):
    """The placing date and time and where it comes from: --placing, else the description's [site], else
    the sensors file; None when none gives it (readings in hours since placing need none)."""
    if option:
        moment = parse_datetime(option)
        if moment is None:
            raise ReadingsError(f"--placing {option}: is not a date and time YYYY-MM-DDTHH:MM")
        return moment, "--placing"
    site = description_placing(description, description_path)
    if site is not None:
        if sensors.placing is not None and sensors.placing != site:
            raise ReadingsError(f"{sensors.path}: placing {sensors.placing.isoformat(timespec='minutes')} differs "
                                f"from {description_path}'s {SITE_TABLE}.{SITE_PLACING_KEY} "
                                f"{site.isoformat(timespec='minutes')}; give one (or --placing)")
        return site, f"{description_path} [{SITE_TABLE}] {SITE_PLACING_KEY}"
    if sensors.placing is not None:
        return sensors.placing, f"{sensors.path} placing"
    return None, None
