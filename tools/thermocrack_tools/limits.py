"""The limits engineers check, each with its source: the largest concrete temperature (against delayed
ettringite formation), the core-to-surface temperature difference, and the allowable crack width from
an exposure class or a number.

The sourced defaults come from the data tables (data/temperature_limits.toml, data/exposure_*.toml,
one row per limit or class, each with its source); a job's limits.toml (written by thermocrack prepare
from the description's [limits]) and the report's options take their place.

The core-to-surface difference is measured the usual way: on each face of the young concrete, the
node in the middle of the face against the hottest node behind it, on the line square to the face
from that node inwards, as deep as half the section's least dimension (to the middle of a wall's
thickness or a slab's depth). Corners are never the surface point, and a face that
is a joint with another part (inside the heat mesh, or a boundary held at a fixed temperature or with
surroundings of its own, such as a footing) or has no boundary entry (insulated: a line of symmetry)
is not a surface.
"""

import math
import os
import re
from dataclasses import dataclass

from .job_files import JobError, read_mesh

DATA_FOLDER = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data"))
LIMIT_KEYS = ("max_temperature", "max_difference", "allowable_width", "exposure")
# Without an exposure class or a number, the allowable width stays the report's long-standing 0.2 mm.
DEFAULT_ALLOWABLE_WIDTH = 0.2


def _load(name):
    import tomllib
    path = os.path.join(DATA_FOLDER, name)
    try:
        with open(path, "rb") as f:
            return tomllib.load(f)
    except (OSError, tomllib.TOMLDecodeError) as e:
        raise JobError(f"{path}: cannot be read ({e})") from None


def temperature_limits():
    """{key: (value, source)} of data/temperature_limits.toml."""
    return {row["key"]: (float(row["value"]), row["source"]) for row in _load("temperature_limits.toml")["limit"]}


def exposure_classes():
    """{class name: (width mm, source)} of every data/exposure_*.toml, in file order."""
    classes = {}
    if os.path.isdir(DATA_FOLDER):
        for name in sorted(os.listdir(DATA_FOLDER)):
            if name.startswith("exposure_") and name.endswith(".toml"):
                for row in _load(name)["class"]:
                    classes[row["name"]] = (float(row["width"]), row["source"])
    return classes


def unknown_exposure(name, where):
    known = ", ".join(f'"{c}"' for c in exposure_classes())
    return JobError(f'{where}: "{name}" is not a known exposure class (known: {known})')


def _line_of(text, key):
    for number, line in enumerate(text.splitlines(), start=1):
        if re.match(rf"\s*{re.escape(key)}\s*=", line):
            return number
    return None


def read_job_limits(folder):
    """The limits of the job's limits.toml ({} without one); errors name the file, the line and the key."""
    path = os.path.join(folder, "limits.toml")
    if not os.path.isfile(path):
        return {}
    import tomllib
    with open(path, encoding="utf-8") as f:
        text = f.read()
    try:
        table = tomllib.loads(text)
    except tomllib.TOMLDecodeError as e:
        raise JobError(f"{path}: {e}") from None

    def where(key):
        line = _line_of(text, key)
        return f"{path}, line {line}: key \"{key}\"" if line else f"{path}: key \"{key}\""
    for key, value in table.items():
        if key not in LIMIT_KEYS:
            raise JobError(f"{where(key)}: is not a known key (known here: {', '.join(LIMIT_KEYS)})")
        if key == "exposure":
            if not isinstance(value, str) or value not in exposure_classes():
                raise unknown_exposure(value, where(key))
        elif isinstance(value, bool) or not isinstance(value, (int, float)) or not value > 0:
            raise JobError(f"{where(key)}: must be a number above 0")
    return table


@dataclass
class Limits:
    max_temperature_c: float
    max_temperature_source: str
    max_difference_c: float
    max_difference_source: str
    allowable_width_mm: float
    allowable_width_source: str


def resolve_limits(folder, max_temperature=None, max_difference=None, allowable_width=None, exposure=None,
                   width_given_by="--allowable-width"):
    """The limits of a job: the options given here, else the job's limits.toml, else the sourced defaults."""
    job = read_job_limits(folder) if folder else {}
    defaults = temperature_limits()
    classes = exposure_classes()

    def pick(option, key, what):
        if option is not None:
            return float(option), f"given ({what})"
        if key in job:
            return float(job[key]), "given (limits.toml)"
        return defaults[key]

    t, t_source = pick(max_temperature, "max_temperature", "--max-temperature")
    d, d_source = pick(max_difference, "max_difference", "--max-difference")
    if exposure is not None:
        if exposure not in classes:
            raise unknown_exposure(exposure, "--exposure")
        w, w_source = classes[exposure][0], f"exposure class {exposure}: {classes[exposure][1]}"
    elif allowable_width is not None:
        w, w_source = float(allowable_width), f"given ({width_given_by})"
    elif "exposure" in job:
        w, w_source = classes[job["exposure"]][0], f"exposure class {job['exposure']}: {classes[job['exposure']][1]}"
    elif "allowable_width" in job:
        w, w_source = float(job["allowable_width"]), "given (limits.toml)"
    else:
        w, w_source = DEFAULT_ALLOWABLE_WIDTH, ("the report's default; give an exposure class (EN 1992-1-1 "
                                                 "Table 7.1N or ACI 224R Table 4.1) or a width")
    return Limits(t, t_source, d, d_source, w, w_source)


# ---------------------------------------------------------------------------------------------------
# The core-to-surface difference

SIDES = ("left", "right", "bottom", "top")


def _boundary_entry(heat_table, box, x, y):
    """The [[boundary]] entry (a dict) that takes a boundary point at (x, y) of the heat mesh, or None;
    the last entry that takes it wins, as in the heat analysis."""
    taken = None
    xmin, xmax, ymin, ymax = box
    eps = 1e-3
    for entry in heat_table.get("boundary", []) or []:
        side = entry.get("side")
        if side is not None:
            on = {"left": abs(x - xmin) < eps, "right": abs(x - xmax) < eps,
                  "bottom": abs(y - ymin) < eps, "top": abs(y - ymax) < eps}.get(side, False)
            other = y if side in ("left", "right") else x
        elif "x" in entry:
            on, other = abs(x - float(entry["x"])) < eps, y
        elif "y" in entry:
            on, other = abs(y - float(entry["y"])) < eps, x
        else:
            continue
        if on and "between" in entry:
            low, high = entry["between"]
            on = low - eps <= other <= high + eps
        if on:
            taken = entry
    return taken


def surface_faces(job):
    """Per side of the young concrete: (side, surface node, [nodes behind it], why left out or '')."""
    mesh = job.mesh
    boundary = set(mesh.boundary_nodes())
    xs, ys = mesh.X, mesh.Y
    xmin, xmax, ymin, ymax = min(xs), max(xs), min(ys), max(ys)
    eps = 1e-3
    heat_boundary = None
    box = (xmin, xmax, ymin, ymax)
    if job.heat is not None and isinstance(job.heat.table.get("mesh"), str):
        heat_mesh = read_mesh(os.path.join(job.folder, job.heat.table["mesh"]))
        hb = heat_mesh.boundary_nodes()
        heat_boundary = {(round(heat_mesh.X[n - 1], 3), round(heat_mesh.Y[n - 1], 3)) for n in hb}
        box = (min(heat_mesh.X), max(heat_mesh.X), min(heat_mesh.Y), max(heat_mesh.Y))
    faces = []
    for side in SIDES:
        across = side in ("left", "right")
        at = {"left": xmin, "right": xmax, "bottom": ymin, "top": ymax}[side]
        on = [n for n in boundary if abs((xs[n - 1] if across else ys[n - 1]) - at) < eps]
        along = (lambda n: ys[n - 1]) if across else (lambda n: xs[n - 1])
        if len(on) < 3:
            faces.append((side, None, [], "too few nodes on the face"))
            continue
        low, high = min(map(along, on)), max(map(along, on))
        middle = (low + high) / 2.0
        inner = [n for n in on if low + eps < along(n) < high - eps]
        surface = min(inner, key=lambda n: (abs(along(n) - middle), along(n)))
        sx, sy = xs[surface - 1], ys[surface - 1]
        # To the middle of the section, but no deeper than half its least dimension: past that the
        # point lies behind the nearer faces, not this one (the top of a tall wall).
        depth = min(xmax - xmin, ymax - ymin) / 2.0
        centre = {"left": xmin + depth, "right": xmax - depth, "bottom": ymin + depth, "top": ymax - depth}[side]
        if across:
            behind = [n for n in range(1, mesh.NX + 1) if abs(ys[n - 1] - sy) < eps
                      and min(sx, centre) - eps <= xs[n - 1] <= max(sx, centre) + eps]
        else:
            behind = [n for n in range(1, mesh.NX + 1) if abs(xs[n - 1] - sx) < eps
                      and min(sy, centre) - eps <= ys[n - 1] <= max(sy, centre) + eps]
        why = ""
        if heat_boundary is not None and (round(sx, 3), round(sy, 3)) not in heat_boundary:
            why = "a joint with another part of the section"
        elif job.heat is not None:
            entry = _boundary_entry(job.heat.table, box, sx, sy)
            if entry is None:
                why = "insulated (no boundary entry): a line of symmetry or an insulated face"
            elif "fixed" in entry:
                why = "held at a fixed temperature: a joint with another body"
            elif "ambient" in entry:
                why = "with surroundings of its own: a joint with another body (e.g. the part it is cast on)"
        faces.append((side, surface, behind, why))
    return faces


def face_differences(job):
    """Per side: (side, (difference C, age, surface node, core node) or None, why left out or '')."""
    rows = []
    for side, surface, behind, why in surface_faces(job):
        best = None
        if surface is not None and not why and len(behind) >= 2:
            for block in job.temperatures:
                core = max(behind, key=lambda n: block.T[n - 1])
                d = block.T[core - 1] - block.T[surface - 1]
                if best is None or d > best[0]:
                    best = (d, block.Age, surface, core)
        rows.append((side, best, why))
    return rows


def core_surface_difference(job):
    """(difference C, age, side, surface node, core node) of the largest difference between the middle
    of a face and the hottest node behind it, over the faces that are surfaces; None when there is none."""
    found = [(best[0], best[1], side, best[2], best[3]) for side, best, why in face_differences(job) if best]
    return max(found) if found else None


def within(value, limit):
    """Whether a value is within its limit; None when there is no value."""
    if value is None or (isinstance(value, float) and not math.isfinite(value)):
        return None
    return value <= limit
