"""Where the job's values come from and the checks of its steel.

derived.toml (written by thermocrack prepare beside the job's files) says for the restraint factors,
the spread lengths and the steel's yield strength whether each was given or derived, by which method,
from which inputs and sources, and lists every layer of bars along a face. From it and the run:

- the largest bar stress against the yield strength f_yk (given, or the default of
  data/reinforcement-grades.toml);
- each face's reinforcement against the minimum for restrained early-age cracking of EN 1992-1-1
  7.3.2 (2), expression (7.1): A_s,min = k_c k f_ct,eff A_ct / f_yk per metre of face, with k_c and k
  from data/minimum-reinforcement.toml, f_ct,eff the concrete's tensile strength ft(t) of the input
  deck at the age of the first crack (else of the lowest crack index), and A_ct the concrete in
  tension that the face's bars hold: half the depth when the opposite face has bars too, else all.

A job without derived.toml (made by hand, or by an older prepare) gets the yield check with the default
yield strength; its values are reported as given and its faces are not checked.
"""

import math
import os
import tomllib
from dataclasses import dataclass, field

from .job_files import JobError

_HERE = os.path.dirname(os.path.abspath(__file__))
# data/ two folders up: in the source tree (tools/thermocrack_tools) and installed
# (share/thermocrack/python/thermocrack_tools, data in share/thermocrack/data) alike.
DATA_FOLDERS = (os.path.join(_HERE, "..", "..", "data"),)
OPPOSITE = {"left": "right", "right": "left", "bottom": "top", "top": "bottom"}


def data_rows(name):
    """The rows of a sourced table of data/ (a list of dicts, each with its name and source)."""
    for folder in DATA_FOLDERS:
        path = os.path.normpath(os.path.join(folder, name))
        if os.path.exists(path):
            with open(path, "rb") as f:
                return tomllib.load(f)["row"]
    raise JobError(f"data/{name}: the sourced table is missing from this installation")


def data_row(name, row):
    return next(r for r in data_rows(name) if r["name"] == row)


def read_derived(folder):
    """derived.toml of the job folder as a dict, or None when the job has none."""
    path = os.path.join(folder, "derived.toml")
    if not os.path.exists(path):
        return None
    try:
        with open(path, "rb") as f:
            return tomllib.load(f)
    except (tomllib.TOMLDecodeError, UnicodeDecodeError) as e:
        raise JobError(f"{path}: is not TOML ({e})") from None


@dataclass
class FaceCheck:
    face: str
    provided_mm2_per_m: float
    required_mm2_per_m: float
    thickness_mm: float
    k: float
    act_mm2_per_m: float

    @property
    def ok(self):
        return self.provided_mm2_per_m >= self.required_mm2_per_m


@dataclass
class SteelChecks:
    yield_strength: float
    yield_how: str            # "given" or "default (B500)"
    yield_source: str
    largest_stress: float     # N/mm2, nan without bars or steps
    largest_stress_bar: int
    largest_stress_age: float
    fct_eff: float = math.nan
    fct_age: float = math.nan
    fct_when: str = ""
    kc: float = 1.0
    sources: list = field(default_factory=list)
    faces: list = field(default_factory=list)
    derived: dict = None

    @property
    def within_yield(self):
        return not (self.largest_stress >= self.yield_strength)

    @property
    def minimum_met(self):
        """True or False over every face checked; None when no face was checked."""
        return all(f.ok for f in self.faces) if self.faces else None

    def columns(self):
        """The summary's columns of these checks."""
        return {
            "yield_strength_n_mm2": self.yield_strength,
            "largest_bar_stress_n_mm2": self.largest_stress,
            "largest_bar_stress_bar": self.largest_stress_bar,
            "largest_bar_stress_age_d": self.largest_stress_age,
            "bar_stress_within_yield": self.within_yield,
            "minimum_reinforcement_met": self.minimum_met,
            "minimum_reinforcement_faces": "; ".join(
                f"{f.face} {f.provided_mm2_per_m:.0f} of {f.required_mm2_per_m:.0f} mm2/m" for f in self.faces),
            "restraint_from": how_taken(self.derived, "restraint"),
            "spread_lengths_from": how_taken(self.derived, "spread"),
        }


def how_taken(derived, name):
    if derived is None or name not in derived:
        return "given"
    return "given" if derived[name].get("given", True) else "derived"


def tensile_strength(job, age):
    """ft(t) = C sqrt(fc(t)), fc(t) = Sigma-91day t / (A + B t), from the input deck."""
    m = job.deck.material
    fc = m["Sigma-91day"] * age / (m["Parameter-A"] + m["Parameter-B"] * age)
    return m["Parameter-C"] * math.sqrt(fc) if fc > 0.0 else 0.0


def k_factor(thickness):
    """k of (7.1): 1.0 up to the thin row's thickness, 0.65 from the thick row's, linear between."""
    thin, thick = data_row("minimum-reinforcement.toml", "k_thin"), data_row("minimum-reinforcement.toml", "k_thick")
    if thickness <= thin["thickness"]:
        return thin["value"]
    if thickness >= thick["thickness"]:
        return thick["value"]
    share = (thickness - thin["thickness"]) / (thick["thickness"] - thin["thickness"])
    return thin["value"] + (thick["value"] - thin["value"]) * share


def steel_checks(job, s):
    """The steel checks of a job and its summary s."""
    derived = read_derived(job.folder)
    grade = data_row("reinforcement-grades.toml", "B500")
    if derived is not None and "steel" in derived:
        steel = derived["steel"]
        given = steel.get("given", False)
        checks = SteelChecks(steel["yield"], "given" if given else "default (B500)",
                             "given in the description" if given else "; ".join(steel.get("sources", [])) or grade["source"],
                             math.nan, None, math.nan, derived=derived)
    else:
        checks = SteelChecks(grade["yield"], "default (B500)", grade["source"], math.nan, None, math.nan, derived=derived)
    for row in job.hss:
        for j, v in enumerate(row[1:], start=1):
            if math.isnan(checks.largest_stress) or v > checks.largest_stress:
                checks.largest_stress, checks.largest_stress_bar, checks.largest_stress_age = v, j, row[0]

    if s.cracked:
        checks.fct_age, checks.fct_when = s.first_crack_age_d, "the first crack"
    elif s.lowest_index_element is not None:
        checks.fct_age, checks.fct_when = s.lowest_index_age_d, "the lowest crack index"
    elif s.steps:
        checks.fct_age, checks.fct_when = s.last_age_d, "the last step"
    if job.deck.material and not math.isnan(checks.fct_age):
        checks.fct_eff = tensile_strength(job, checks.fct_age)
    kc = data_row("minimum-reinforcement.toml", "kc")
    checks.kc = kc["value"]
    checks.sources = [kc["source"], data_row("minimum-reinforcement.toml", "k_thin")["source"],
                      data_row("minimum-reinforcement.toml", "k_thick")["source"]]
    if derived is None or math.isnan(checks.fct_eff):
        return checks
    layers = derived.get("layer", [])
    faces = {}
    for layer in layers:
        faces.setdefault(layer["face"], []).append(layer)
    for face, group in faces.items():
        thickness = max(layer["thickness"] for layer in group)
        provided = sum(1000.0 * layer["bar_area"] / layer["spacing"] for layer in group)
        act = 1000.0 * thickness / (2.0 if OPPOSITE[face] in faces else 1.0)
        k = k_factor(thickness)
        required = checks.kc * k * checks.fct_eff * act / checks.yield_strength
        checks.faces.append(FaceCheck(face, provided, required, thickness, k, act))
    return checks


def provenance_rows(derived):
    """Rows (what, how, values, inputs, sources) of where the restraint, spread lengths and yield
    strength come from; [] without derived.toml."""
    if derived is None:
        return []
    names = {"restraint": "Restraint factors", "spread": "Crack spread lengths", "steel": "Yield strength of the bars"}
    rows = []
    for key, what in names.items():
        entry = derived.get(key)
        if entry is None:
            continue
        values = ", ".join(f"{k} = {v:.6g}" for k, v in entry.items()
                           if isinstance(v, float) and not isinstance(v, bool))
        inputs = "; ".join(f"{k}: {v}" for k, v in entry.get("inputs", {}).items())
        rows.append((what, entry.get("method", "given"), values, inputs, entry.get("sources", [])))
    return rows


def annotate_inputs(rows, derived):
    """The inputs in brief with the restraint factors and spread lengths marked given or derived."""
    marks = {"Restraint factors": how_taken(derived, "restraint"), "Crack spread lengths": how_taken(derived, "spread")}
    return [(what, f"{value} ({marks[what]})" if what in marks else value) for what, value in rows]


def verdict_words(checks):
    """Sentences for the verdict, only for a check that fails."""
    lines = []
    if not checks.within_yield:
        lines.append(f"The largest bar stress, {checks.largest_stress:.0f} N/mm² at bar {checks.largest_stress_bar} at "
                     f"{checks.largest_stress_age:g} days, reaches the yield strength {checks.yield_strength:g} N/mm²: "
                     "the crack widths past that point are not reliable.")
    short = [f for f in checks.faces if not f.ok]
    if short:
        lines.append("Below the minimum reinforcement for restrained early-age cracking (EN 1992-1-1 7.3.2): "
                     + "; ".join(f"{f.face} face {f.provided_mm2_per_m:.0f} of {f.required_mm2_per_m:.0f} mm²/m"
                                 for f in short) + ".")
    return lines
