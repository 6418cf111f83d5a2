"""The heat analysis at the sensors: a description with some numeric keys moved is prepared by
`thermocrack prepare` (which runs the heat analysis) with its output ages set to the ages wanted,
and the node temperatures of the job's .tmp are interpolated at every sensor inside the element of
the job's mesh that holds it:

    T(sensor) = sum_i N_i(xi, eta) T_i,   N_i = (1 + xi xi_i)(1 + eta eta_i) / 4,

with (xi, eta) in [-1, 1]^2 found from the sensor's X, Y by Newton's method on the bilinear map
x(xi, eta) = sum_i N_i x_i (the inverse map of the element).
"""

import copy
import datetime
import math
import os
import re
import shutil
import subprocess
import tempfile

import numpy as np

from .job_files import JobError, read_job_name, read_mesh, read_records
from .key_paths import path_steps

CORNERS = ((-1.0, -1.0), (1.0, -1.0), (1.0, 1.0), (-1.0, 1.0))
# Readings are taken to the nearest minute: ages k / 1440 days keep equal intervals between readings
# equal to the last bit, so the heat analysis keeps one step size (and its factorisation) throughout.
MINUTES_PER_DAY = 1440


def minute_of(age):
    """The reading's age in whole minutes since placing."""
    return int(round(age * MINUTES_PER_DAY))


class ModelError(Exception):
    """A key that cannot be moved, or a heat analysis that fails; names the key or the log."""


# ---------------------------------------------------------------------------------------------------
# Keys of the description by dotted path (key_paths.py): "concrete.adiabatic_rise.K", "boundary[1].h[0][1]"


def get_key(data, path):
    node = data
    for step in path_steps(path):
        try:
            node = node[step]
        except (KeyError, IndexError, TypeError):
            raise KeyError(f"the description has no {step!r} at this place of \"{path}\"") from None
    return node


def set_key(data, path, value):
    steps = path_steps(path)
    node = data
    for step in steps[:-1]:
        node = node[step]
    node[steps[-1]] = float(value)


def numeric_key(description, path, where):
    """The value of a key that may move; ModelError unless it is a number."""
    try:
        value = get_key(description, path)
    except KeyError as e:
        raise ModelError(f"{where}: key \"{path}\": {e.args[0]}") from None
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise ModelError(f"{where}: key \"{path}\" holds {value!r}: only a number can be fitted")
    return float(value)


# ---------------------------------------------------------------------------------------------------
# Writing a description back as TOML

def _bare(key):
    return re.fullmatch(r"[A-Za-z0-9_-]+", key) is not None


def _key(key):
    return key if _bare(key) else '"' + key.replace("\\", "\\\\").replace('"', '\\"') + '"'


def toml_value(v):
    if isinstance(v, bool):
        return "true" if v else "false"
    if isinstance(v, int):
        return str(v)
    if isinstance(v, float):
        if math.isnan(v) or math.isinf(v):
            raise ModelError(f"{v} cannot be written to a description")
        text = repr(v)
        return text if any(c in text for c in ".en") else text + ".0"
    if isinstance(v, str):
        return '"' + v.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n") + '"'
    if isinstance(v, datetime.datetime):
        return v.isoformat(timespec="minutes") if v.second == 0 and not v.microsecond else v.isoformat()
    if isinstance(v, (datetime.date, datetime.time)):
        return v.isoformat()
    if isinstance(v, list):
        return "[" + ", ".join(toml_value(x) for x in v) + "]"
    if isinstance(v, dict):
        return "{ " + ", ".join(f"{_key(k)} = {toml_value(x)}" for k, x in v.items()) + " }"
    raise ModelError(f"{v!r} cannot be written to a description")


def _is_table_array(v):
    return isinstance(v, list) and v and all(isinstance(x, dict) for x in v)


def toml_text(data, prefix=""):
    """The description as TOML: plain keys first, then tables and arrays of tables, in the given order."""
    out = []
    for k, v in data.items():
        if not isinstance(v, dict) and not (_is_table_array(v) and prefix == ""):
            out.append(f"{_key(k)} = {toml_value(v)}")
    for k, v in data.items():
        name = prefix + _key(k)
        if isinstance(v, dict):
            out.append(f"\n[{name}]")
            out.append(toml_text(v, name + "."))
        elif _is_table_array(v) and prefix == "":
            for entry in v:
                out.append(f"\n[[{name}]]")
                out.append(toml_text(entry, name + "."))
    return "\n".join(x for x in out if x != "")


# ---------------------------------------------------------------------------------------------------
# Sensors in the job's mesh

def shape_functions(xi, eta):
    return np.array([(1 + xi * a) * (1 + eta * b) / 4.0 for a, b in CORNERS])


def local_coordinates(corners, x, y):
    """(xi, eta) of the point x, y in the four-node element with these corners; None when Newton fails."""
    P = np.asarray(corners, dtype=float)
    xi = eta = 0.0
    for _ in range(30):
        N = shape_functions(xi, eta)
        dN_dxi = np.array([a * (1 + eta * b) / 4.0 for a, b in CORNERS])
        dN_deta = np.array([b * (1 + xi * a) / 4.0 for a, b in CORNERS])
        r = np.array([N @ P[:, 0] - x, N @ P[:, 1] - y])
        J = np.array([[dN_dxi @ P[:, 0], dN_deta @ P[:, 0]], [dN_dxi @ P[:, 1], dN_deta @ P[:, 1]]])
        try:
            d = np.linalg.solve(J, r)
        except np.linalg.LinAlgError:
            return None
        xi, eta = xi - d[0], eta - d[1]
        if abs(d[0]) + abs(d[1]) < 1e-12:
            break
    return xi, eta


def locate(mesh, x, y, tolerance=1e-9):
    """The element (from 1) holding the point, its four nodes (from 0) and the shape functions there;
    None when the point is in no element."""
    for e in range(1, mesh.NELX + 1):
        corners = mesh.corners(e)
        xs, ys = [c[0] for c in corners], [c[1] for c in corners]
        if not (min(xs) - 1e-6 <= x <= max(xs) + 1e-6 and min(ys) - 1e-6 <= y <= max(ys) + 1e-6):
            continue
        local = local_coordinates(corners, x, y)
        if local is None:
            continue
        xi, eta = local
        if abs(xi) <= 1 + tolerance and abs(eta) <= 1 + tolerance:
            xi, eta = max(-1.0, min(1.0, xi)), max(-1.0, min(1.0, eta))
            return e, [n - 1 for n in mesh.elements[e - 1]], shape_functions(xi, eta)
    return None


def place_sensors(sensors, mesh, sensors_path, mesh_path):
    """Finds every sensor's element; a sensor outside the section is an error naming its line."""
    for s in sensors:
        found = locate(mesh, s.x, s.y)
        if found is None:
            raise ModelError(f"{sensors_path}, line {s.line}: sensor \"{s.name}\" at X = {s.x:g}, Y = {s.y:g} mm "
                             f"is outside the section (the young concrete of {mesh_path}: X {min(mesh.X):g} to "
                             f"{max(mesh.X):g}, Y {min(mesh.Y):g} to {max(mesh.Y):g} mm)")
        s.element, s.nodes, s.weights = found


def read_node_temperatures(path, NX, nodes):
    """The ages of the .tmp's blocks and the temperatures of the given nodes (from 0) in every block."""
    r = read_records(path)
    try:
        count = int(r[1][:5])
        per_block = 1 + (NX + 9) // 10
        if len(r) != 3 + count * per_block:
            raise JobError(f"{path}: holds {(len(r) - 3) / per_block:g} blocks of {NX} nodes where its head "
                           f"says {count}")
        ages = np.empty(count)
        T = np.empty((count, len(nodes)))
        for b in range(count):
            i = 3 + b * per_block
            ages[b] = float(r[i][5:15])
            for k, n in enumerate(nodes):
                line = r[i + 1 + n // 10]
                first = 10 * (n % 10)
                T[b, k] = float(line[first:first + 10])
    except (IndexError, ValueError):
        raise JobError(f"{path}: does not read as a temperature file of {NX} nodes") from None
    return ages, T


# ---------------------------------------------------------------------------------------------------
# One heat analysis

class Model:
    """A description whose keys move (`keys`: per fitted value the list of paths it sets); evaluate(values, ages) gives the temperatures at the
    sensors (array ages x sensors) by a heat analysis in a scratch folder."""

    def __init__(self, description, description_path, keys, thermocrack, sensors, sensors_path, scratch=None):
        self.description = description
        self.path = description_path
        self.keys = list(keys)
        self.thermocrack = thermocrack
        self.sensors = sensors
        self.sensors_path = sensors_path
        self.scratch = scratch or tempfile.mkdtemp(prefix="thermocrack-sensors-")
        self.count = 0
        self.mesh = None

    def with_values(self, values, ages=None):
        data = copy.deepcopy(self.description)
        for paths, value in zip(self.keys, values):
            for path in paths:
                set_key(data, path, value)
        if ages is not None:
            data["output"] = {"ages": [float(a) for a in ages]}
        return data

    def prepare(self, values, ages, folder):
        """Writes the description with these values (and output ages) and prepares its job in folder."""
        os.makedirs(folder, exist_ok=True)
        text_path = os.path.join(folder, "description.toml")
        with open(text_path, "w", encoding="utf-8") as f:
            f.write(toml_text(self.with_values(values, ages)) + "\n")
        job = os.path.join(folder, "job")
        if os.path.exists(job):
            shutil.rmtree(job)
        done = subprocess.run([self.thermocrack, "prepare", text_path, "--out", job],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if done.returncode != 0:
            shown = ", ".join(f"{' = '.join(k)} = {v:g}" for k, v in zip(self.keys, values))
            message = done.stdout.decode("utf-8", "replace").strip().replace(text_path, self.path)
            raise ModelError(f"the heat analysis of {self.path}" + (f" with {shown}" if shown else "") +
                             f" failed: {message}")
        return job

    def job_mesh(self, job):
        name = read_job_name(os.path.join(job, "title.dat"))
        return name, read_mesh(os.path.join(job, name + ".dat"))

    def evaluate(self, values, ages, slot=0):
        """Temperatures at the sensors (ages x sensors, C) with the keys at these values."""
        self.count += 1
        job = self.prepare(values, ages, os.path.join(self.scratch, f"slot{slot}"))
        if self.mesh is None:
            self.mesh_name, self.mesh = self.job_mesh(job)
            place_sensors(self.sensors, self.mesh, self.sensors_path, f"{self.path}'s job mesh")
        name, mesh = self.mesh_name, self.mesh
        nodes = sorted({n for s in self.sensors for n in s.nodes})
        try:
            _, T = read_node_temperatures(os.path.join(job, name + ".tmp"), mesh.NX, nodes)
        except JobError as e:
            raise ModelError(f"the heat analysis of {self.path}: {e}") from None
        if T.shape[0] != len(ages):
            raise ModelError(f"the heat analysis of {self.path} wrote {T.shape[0]} blocks for {len(ages)} ages")
        column = {n: k for k, n in enumerate(nodes)}
        out = np.empty((len(ages), len(self.sensors)))
        for j, s in enumerate(self.sensors):
            out[:, j] = T[:, [column[n] for n in s.nodes]] @ s.weights
        return out

    def close(self):
        shutil.rmtree(self.scratch, ignore_errors=True)


def output_ages(readings_ages):
    """The distinct ages of the readings (days, to the minute), each a block of the heat analysis's output."""
    return [m / MINUTES_PER_DAY for m in sorted(set(minute_of(a) for a in readings_ages))]


# ---------------------------------------------------------------------------------------------------
# The calibrated description as an edit of the original text, which keeps its comments and layout

class _Unsupported(Exception):
    pass


class _ValueSpans:
    """Where each value of a TOML text lies: {(key, ..., index, ...): (start, end)}, for the forms a
    description uses (tables, arrays of tables, dotted keys, inline tables, arrays over several lines,
    basic and literal strings). Anything else raises _Unsupported."""

    def __init__(self, text):
        self.text = text
        self.spans = {}
        self.counts = {}
        self.i = 0
        table = ()
        n = len(text)
        while True:
            self._blank(newlines=True)
            if self.i >= n:
                break
            if text.startswith("[[", self.i):
                self.i += 2
                keys = self._keys("]")
                if not text.startswith("]]", self.i):
                    raise _Unsupported
                self.i += 2
                parent = self._resolve(keys[:-1])
                path = parent + (keys[-1],)
                self.counts[path] = self.counts.get(path, -1) + 1
                table = path + (self.counts[path],)
            elif text[self.i] == "[":
                self.i += 1
                keys = self._keys("]")
                self.i += 1
                table = self._resolve(keys)
            else:
                keys = self._keys("=")
                self.i += 1
                self._value(table + tuple(keys))
            self._blank(newlines=False)
            if self.i < n and text[self.i] not in "\r\n":
                raise _Unsupported

    def _resolve(self, keys):
        path = ()
        for k in keys:
            path += (k,)
            if path in self.counts:
                path += (self.counts[path],)
        return path

    def _blank(self, newlines):
        t, n = self.text, len(self.text)
        while self.i < n:
            c = t[self.i]
            if c in " \t" or (newlines and c in "\r\n"):
                self.i += 1
            elif c == "#":
                while self.i < n and t[self.i] != "\n":
                    self.i += 1
            else:
                break

    def _keys(self, end):
        """A dotted key up to (not over) the character end."""
        keys = []
        while True:
            self._blank(newlines=False)
            c = self.text[self.i] if self.i < len(self.text) else ""
            if c in "\"'":
                start = self.i
                self._string()
                keys.append(tomllib_key(self.text[start:self.i]))
            else:
                m = re.compile(r"[A-Za-z0-9_-]+").match(self.text, self.i)
                if not m:
                    raise _Unsupported
                keys.append(m.group(0))
                self.i = m.end()
            self._blank(newlines=False)
            if self.text.startswith(".", self.i):
                self.i += 1
                continue
            if not self.text.startswith(end, self.i):
                raise _Unsupported
            return keys

    def _string(self):
        t = self.text
        quote = t[self.i]
        if t.startswith(quote * 3, self.i):
            raise _Unsupported
        self.i += 1
        while self.i < len(t) and t[self.i] != quote:
            if t[self.i] == "\n":
                raise _Unsupported
            self.i += 2 if quote == '"' and t[self.i] == "\\" else 1
        self.i += 1

    def _value(self, path):
        self._blank(newlines=False)
        t = self.text
        start = self.i
        c = t[self.i] if self.i < len(t) else ""
        if c == "{":
            self.i += 1
            while True:
                self._blank(newlines=False)
                if t.startswith("}", self.i):
                    self.i += 1
                    break
                keys = self._keys("=")
                self.i += 1
                self._value(path + tuple(keys))
                self._blank(newlines=False)
                if t.startswith(",", self.i):
                    self.i += 1
        elif c == "[":
            self.i += 1
            k = 0
            while True:
                self._blank(newlines=True)
                if t.startswith("]", self.i):
                    self.i += 1
                    break
                self._value(path + (k,))
                k += 1
                self._blank(newlines=True)
                if t.startswith(",", self.i):
                    self.i += 1
        elif c in "\"'":
            self._string()
        else:
            m = re.compile(r"[^,\]}\r\n#]+").match(t, self.i)
            if not m:
                raise _Unsupported
            self.i = start + len(m.group(0).rstrip())
        self.spans[path] = (start, self.i)


def tomllib_key(quoted):
    import tomllib
    return tomllib.loads(f"k = {quoted}")["k"]


def edited_description(text, changes, expected):
    """The description's text with the values at the given paths ({dotted path: value}) replaced,
    comments and layout kept; None when the text holds a form this edit does not know, or the edit
    does not read back as `expected` (the caller then writes the description afresh)."""
    import tomllib
    try:
        spans = _ValueSpans(text).spans
        edits = sorted(((spans[tuple(path_steps(p))], toml_value(v)) for p, v in changes.items()), reverse=True)
    except (_Unsupported, KeyError, IndexError, ModelError):
        return None
    for (start, end), value in edits:
        text = text[:start] + value + text[end:]
    try:
        return text if tomllib.loads(text) == expected else None
    except tomllib.TOMLDecodeError:
        return None
