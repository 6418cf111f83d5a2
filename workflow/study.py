"""Parameter studies of thermocrack jobs: the study description, its variants, and the study's table.

A study varies keys of a job description (the TOML file `thermocrack prepare` reads):

    base = "wall.toml"              # the job description, relative to this file
    mode = "grid"                   # "grid": every combination of the values;
                                    # "one-at-a-time": each key through its values, the others at base;
                                    # "monte-carlo": every key drawn from its distribution
    samples = 200                   # monte-carlo: the number of variants
    seed = 1                        # monte-carlo: the same seed draws the same variants
    allowable_width = 0.2           # mm, for the summary of every variant (default: each variant's own limits)
    batch = 50                      # variants a batch job runs one after another (default: see
                                    # DEFAULT_BATCH)

    [[vary]]
    key = "concrete.placing_temperature"        # dotted path; [n] picks an entry of an array
    values = [10.0, 20.0, 30.0]                 # grid and one-at-a-time

    [[vary]]
    name = "formwork removal (days)"            # optional: the column's name (default the key)
    key = ["boundary[0].h[1][0]", "boundary[1].h[1][0]"]   # several keys take the same value
    values = [1.0, 3.0, 7.0]

    [[vary]]
    key = "concrete.tensile_factor"
    distribution = "normal"                      # normal: mean, sd; lognormal: median, sigma
    mean = 0.44                                  # (of the logarithm); uniform: low, high
    sd = 0.04
    low = 0.30                                   # optional bounds: draws outside are drawn again
    high = 0.60

Variant 0 is the base job (every key as the base description has it); variants 1, 2, ... are the
study's. Every error names the file, the line and the key.
"""

import csv
import json
import math
import os
import random
import re
import subprocess
import tomllib

MODES = ("grid", "one-at-a-time", "monte-carlo")
DISTRIBUTIONS = {"normal": ("mean", "sd"), "lognormal": ("median", "sigma"), "uniform": ("low", "high")}
STUDY_KEYS = {"base", "mode", "samples", "seed", "allowable_width", "batch", "vary"}
VARY_KEYS = {"name", "key", "values", "distribution", "mean", "sd", "median", "sigma", "low", "high"}
# Variants a batch runs one after another when neither the study nor the command line says. Measured
# on the example wall (bench/README.md): the engine's processor time a variant falls from 0.10 s at
# one a batch to 0.02 s at 25 and 50, beside 0.06 to 0.10 s of the variant's own work; 50 keeps a
# 10 000-variant study to 201 batch jobs. A small study is cut into at least MIN_BATCHES batches,
# so that every core has work.
DEFAULT_BATCH = 50
MIN_BATCHES = 8
# Draws outside a distribution's bounds are drawn again, at most this many times per value.
MAX_REDRAWS = 1000


class StudyError(Exception):
    pass


def _line_of(text, key, vary_index=None):
    """The line (from 1) where key is set: at the top, or in the vary_index-th [[vary]] table."""
    lines = text.splitlines()
    start, end = 0, len(lines)
    if vary_index is not None:
        heads = [i for i, line in enumerate(lines) if re.match(r"\s*\[\[\s*vary\s*\]\]", line)]
        if vary_index < len(heads):
            start = heads[vary_index]
            later = [i for i, line in enumerate(lines) if i > start and re.match(r"\s*\[", line)]
            end = later[0] if later else len(lines)
    else:
        tables = [i for i, line in enumerate(lines) if re.match(r"\s*\[", line)]
        end = tables[0] if tables else len(lines)
    pattern = re.compile(r"\s*" + re.escape(key) + r"\s*=")
    for i in range(start, end):
        if pattern.match(lines[i]):
            return i + 1
    return start + 1 if vary_index is not None else 1


class Study:
    def __init__(self, path):
        self.path = os.path.abspath(path)
        try:
            with open(path, "rb") as f:
                raw = f.read()
        except OSError as e:
            raise StudyError(f"{path}: {e.strerror}")
        self.text = raw.decode("utf-8", errors="replace")
        try:
            data = tomllib.loads(self.text)
        except tomllib.TOMLDecodeError as e:
            raise StudyError(f"{path}: {e}")
        self._data = data
        for key in data:
            if key not in STUDY_KEYS:
                self._fail(key, "is not a key of a study (known: " + ", ".join(sorted(STUDY_KEYS)) + ")")
        self.base = self._get(data, "base", str)
        self.base_path = os.path.normpath(os.path.join(os.path.dirname(self.path), self.base))
        if not os.path.isfile(self.base_path):
            self._fail("base", f"names {self.base_path}, which is not a file")
        self.mode = data.get("mode", "grid")
        if self.mode not in MODES:
            self._fail("mode", f'is "{self.mode}": it must be one of ' + ", ".join(f'"{m}"' for m in MODES))
        self.samples = self._get(data, "samples", int, required=self.mode == "monte-carlo", default=0)
        self.seed = self._get(data, "seed", int, required=False, default=1)
        # None: each variant's own limits (its limits.toml, else the report's default).
        width = self._get(data, "allowable_width", (int, float), required=False, default=None)
        self.allowable_width = None if width is None else float(width)
        self.batch = self._get(data, "batch", int, required=False, default=None)
        if self.batch is not None and self.batch < 1:
            self._fail("batch", "must be 1 or more")
        if self.mode == "monte-carlo" and self.samples < 1:
            self._fail("samples", "must be 1 or more")
        if self.allowable_width is not None and self.allowable_width <= 0.0:
            self._fail("allowable_width", "must be above 0 mm")
        varies = data.get("vary", [])
        if not isinstance(varies, list) or not varies:
            self._fail("vary", "must be one or more [[vary]] tables")
        with open(self.base_path, "rb") as f:
            self.description = tomllib.load(f)
        self.vary = []
        for i, v in enumerate(varies):
            self.vary.append(self._read_vary(v, i))

    def _fail(self, key, why, vary_index=None):
        line = _line_of(self.text, key, vary_index)
        where = f"[[vary]] {vary_index + 1}, " if vary_index is not None else ""
        raise StudyError(f"{self.path}, line {line}: {where}{key} {why}")

    def _get(self, table, key, kind, required=True, default=None, vary_index=None):
        if key not in table:
            if required:
                self._fail(key, "is missing", vary_index)
            return default
        value = table[key]
        if isinstance(value, bool) or not isinstance(value, kind):
            names = kind.__name__ if isinstance(kind, type) else " or ".join(k.__name__ for k in kind)
            self._fail(key, f"is {type(value).__name__} {value!r}: it must be {names}", vary_index)
        return value

    def _read_vary(self, v, i):
        if not isinstance(v, dict):
            self._fail("vary", "must be a table", i)
        for key in v:
            if key not in VARY_KEYS:
                self._fail(key, "is not a key of [[vary]] (known: " + ", ".join(sorted(VARY_KEYS)) + ")", i)
        paths = self._get(v, "key", (str, list), vary_index=i)
        paths = [paths] if isinstance(paths, str) else paths
        if not paths or not all(isinstance(p, str) for p in paths):
            self._fail("key", "must be a key or a list of keys", i)
        bases = []
        for path in paths:
            try:
                base_value = get_path(self.description, path)
            except KeyError as e:
                self._fail("key", f'"{path}" is not in the base description {self.base_path}: {e.args[0]}', i)
            if not isinstance(base_value, (int, float)) or isinstance(base_value, bool):
                self._fail("key", f'"{path}" holds {base_value!r} in the base description: only numbers are varied', i)
            bases.append(float(base_value))
        if len(set(bases)) > 1:
            self._fail("key", "names keys whose base values differ: " +
                       ", ".join(f"{p} = {b:g}" for p, b in zip(paths, bases)), i)
        key = self._get(v, "name", str, required=False, default=paths[0], vary_index=i)
        if key in self.keys():
            self._fail("name" if "name" in v else "key", f'"{key}" is varied twice', i)
        entry = {"key": key, "paths": paths, "base": bases[0]}
        if self.mode == "monte-carlo":
            name = self._get(v, "distribution", str, vary_index=i)
            if name not in DISTRIBUTIONS:
                self._fail("distribution", f'is "{name}": it must be one of ' +
                           ", ".join(f'"{d}"' for d in DISTRIBUTIONS), i)
            entry["distribution"] = name
            for p in DISTRIBUTIONS[name]:
                entry[p] = float(self._get(v, p, (int, float), vary_index=i))
            bounded = name != "uniform"
            entry["low"] = float(self._get(v, "low", (int, float), required=False, default=-math.inf, vary_index=i)) \
                if bounded else entry["low"]
            entry["high"] = float(self._get(v, "high", (int, float), required=False, default=math.inf, vary_index=i)) \
                if bounded else entry["high"]
            spread = {"normal": "sd", "lognormal": "sigma"}.get(name)
            if spread and entry[spread] <= 0.0:
                self._fail(spread, "must be above 0", i)
            if name == "lognormal" and entry["median"] <= 0.0:
                self._fail("median", "must be above 0", i)
            if not entry["low"] < entry["high"]:
                self._fail("high", f"must be above low ({entry['low']:g})", i)
            if "values" in v:
                self._fail("values", "is for the grid and one-at-a-time modes; a monte-carlo study draws values", i)
        else:
            values = self._get(v, "values", list, vary_index=i)
            if not values or any(isinstance(x, bool) or not isinstance(x, (int, float)) for x in values):
                self._fail("values", "must be a list of one or more numbers", i)
            entry["values"] = [float(x) for x in values]
            if "distribution" in v:
                self._fail("distribution", f'is for a monte-carlo study; this one is "{self.mode}"', i)
        return entry

    def keys(self):
        return [v["key"] for v in self.vary]

    def variants(self):
        """[{key: value}] for variants 0 (the base), 1, 2, ..."""
        base = {v["key"]: v["base"] for v in self.vary}
        out = [dict(base)]
        if self.mode == "grid":
            combos = [{}]
            for v in self.vary:
                combos = [dict(c, **{v["key"]: x}) for c in combos for x in v["values"]]
            out += combos
        elif self.mode == "one-at-a-time":
            for v in self.vary:
                out += [dict(base, **{v["key"]: x}) for x in v["values"] if x != v["base"]]
        else:
            rng = random.Random(self.seed)
            for _ in range(self.samples):
                out.append({v["key"]: draw(rng, v) for v in self.vary})
        return out


def draw(rng, v):
    for _ in range(MAX_REDRAWS):
        if v["distribution"] == "normal":
            x = rng.gauss(v["mean"], v["sd"])
        elif v["distribution"] == "lognormal":
            x = v["median"] * math.exp(rng.gauss(0.0, v["sigma"]))
        else:
            x = rng.uniform(v["low"], v["high"])
        if v["low"] <= x <= v["high"]:
            return x
    raise StudyError(f'{v["key"]}: no draw within [{v["low"]:g}, {v["high"]:g}] in {MAX_REDRAWS} tries')


def _steps(path):
    _tools()
    from thermocrack_tools.key_paths import path_steps
    return path_steps(path)


def get_path(data, path):
    node = data
    for step in _steps(path):
        try:
            node = node[step]
        except (KeyError, IndexError, TypeError):
            raise KeyError(f"no {step!r} at this place")
    return node


def set_path(data, path, value):
    steps = _steps(path)
    node = data
    for step in steps[:-1]:
        node = node[step]
    old = node[steps[-1]]
    node[steps[-1]] = int(round(value)) if isinstance(old, int) and not isinstance(old, bool) else value


def variant_description(study, values):
    """The base description with the variant's values set."""
    data = json.loads(json.dumps(study.description))
    for v in study.vary:
        for path in v["paths"]:
            set_path(data, path, values[v["key"]])
    return data


def _tools():
    """Makes thermocrack's Python tools importable: from the source tree or an installed prefix."""
    here = os.path.dirname(os.path.realpath(__file__))
    for place in (os.path.join(here, "..", "tools"), os.path.join(here, "..", "python")):
        if os.path.isdir(os.path.join(place, "thermocrack_tools")):
            import sys
            sys.path.insert(0, os.path.normpath(place))
            return
    raise StudyError("thermocrack's Python tools (thermocrack_tools) are not beside the workflow")


def batch_size(study, given, count):
    """Variants a batch: given on the command line, else the study's batch, else DEFAULT_BATCH cut so
    that the count variants make at least MIN_BATCHES batches."""
    if given is not None:
        try:
            size = int(given)
        except (TypeError, ValueError):
            size = 0
        if size < 1 or str(given).strip() != str(size):
            raise StudyError(f"batch={given}: the variants a batch must be a whole number, 1 or more")
        return size
    if study.batch is not None:
        return study.batch
    return max(1, min(DEFAULT_BATCH, math.ceil(count / MIN_BATCHES)))


def variant_name(index):
    return f"{index:04d}"


def variant_files(study, values):
    """The bytes of a variant's description.toml and values.json."""
    import tomli_w
    description = tomli_w.dumps(variant_description(study, values)).encode("utf-8")
    text = json.dumps(values, indent=2, sort_keys=True) + "\n"
    return description, text.encode("utf-8")


def variant_stands(study, values, folder):
    """Whether folder holds this variant's finished results: the same description and values, and a
    summary for the study's allowable width (a variant's work starts by removing its summary)."""
    description, values_text = variant_files(study, values)
    try:
        with open(os.path.join(folder, "description.toml"), "rb") as f:
            same = f.read() == description
        with open(os.path.join(folder, "values.json"), "rb") as f:
            same = same and f.read() == values_text
        with open(os.path.join(folder, "summary.json"), encoding="utf-8") as f:
            summary = json.load(f)
    except (OSError, ValueError):
        return False
    return same and (study.allowable_width is None or summary.get("allowable_width_mm") == study.allowable_width)


def summarise_variant(job_folder, summary_path, allowable_width):
    """The variant's summary.json (and summary.csv), as thermocrack-report writes them."""
    _tools()
    from thermocrack_tools.job_files import load_job
    from thermocrack_tools.report_page import write_summary
    from thermocrack_tools.summary import summarise
    from thermocrack_tools.verdict_checks import steel_checks
    job = load_job(job_folder)
    s = summarise(job, allowable_width)
    write_summary(os.path.dirname(summary_path), s, steel_checks(job, s).columns())


def _log_tail(path, lines=5):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return "".join(f.readlines()[-lines:]).rstrip()
    except OSError:
        return ""


def run_variant(study, values, folder, thermocrack):
    """One variant in its folder: description.toml and values.json, job/ prepared (prepare.log) and
    run (run.log), then summary.json. The summary goes first and comes last, so a variant stopped
    half-way does not stand. A failing step names its log and ends with the log's last lines."""
    os.makedirs(folder, exist_ok=True)
    for name in ("summary.json", "summary.csv"):
        if os.path.exists(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))
    description_text, values_text = variant_files(study, values)
    description = os.path.join(folder, "description.toml")
    for path, text in ((description, description_text), (os.path.join(folder, "values.json"), values_text)):
        with open(path, "wb") as f:
            f.write(text)
    job = os.path.join(folder, "job")
    for command, log in (([thermocrack, "prepare", description, "--out", job], "prepare.log"),
                         ([thermocrack, "--quiet", job], "run.log")):
        log = os.path.join(folder, log)
        try:
            with open(log, "wb") as out:
                done = subprocess.run(command, stdout=out, stderr=subprocess.STDOUT)
        except OSError as e:
            raise StudyError(f"{command[0]}: {e.strerror}")
        if done.returncode != 0:
            raise StudyError(f"{' '.join(command[:2])} failed (exit {done.returncode}); see {log}:\n"
                             + _log_tail(log))
    try:
        summarise_variant(job, os.path.join(folder, "summary.json"), study.allowable_width)
    except Exception as e:  # a job the report tools cannot read: this variant fails, not its batch
        raise StudyError(f"the summary of {job} failed: {e}")


def _processor_time():
    """User and system time of this process and of its children that ended, in s."""
    import resource
    own, children = resource.getrusage(resource.RUSAGE_SELF), resource.getrusage(resource.RUSAGE_CHILDREN)
    return own.ru_utime + own.ru_stime + children.ru_utime + children.ru_stime


def run_batch(study, indexes, out, thermocrack, say=print):
    """The variants of one batch one after another, each in out/variants/NNNN. A variant whose
    folder already holds its results stands; one that fails is reported and the rest still run.
    Gives (ran, stood, failed, seconds): lists of variant names, failed as (name, message), and the
    processor time of the variants' own work (the batch's start not counted)."""
    variants = study.variants()
    ran, stood, failed = [], [], []
    start = _processor_time()
    for index in indexes:
        name = variant_name(index)
        folder = os.path.join(out, "variants", name)
        if variant_stands(study, variants[index], folder):
            stood.append(name)
            continue
        try:
            run_variant(study, variants[index], folder, thermocrack)
            ran.append(name)
        except StudyError as e:
            failed.append((name, str(e)))
            say(f"variant {name} failed: {e}")
    return ran, stood, failed, _processor_time() - start


def read_rows(folders):
    rows = []
    for folder in folders:
        index = int(os.path.basename(folder))
        try:
            with open(os.path.join(folder, "values.json"), encoding="utf-8") as f:
                values = json.load(f)
            with open(os.path.join(folder, "summary.json"), encoding="utf-8") as f:
                summary = json.load(f)
        except (OSError, ValueError) as e:
            raise StudyError(f"variant {variant_name(index)} has no results in {folder}: {e}")
        rows.append((index, values, summary))
    return rows


def write_table(study, folders, out):
    """study.csv: the variant's index, its values, then the summary's columns as summary.csv has them."""
    _tools()
    from thermocrack_tools.summary import csv_cell
    rows = read_rows(folders)
    keys = study.keys()
    columns = list(rows[0][2]) if rows else []
    with open(out, "w", encoding="utf-8", newline="") as f:
        w = csv.writer(f)
        w.writerow(["variant"] + keys + columns)
        for index, values, summary in rows:
            w.writerow([index] + [repr(values[k]) for k in keys] + [csv_cell(summary.get(c)) for c in columns])


def read_table(path):
    with open(path, encoding="utf-8", newline="") as f:
        return list(csv.DictReader(f))


def wilson_interval(k, n, z=1.959964):
    """The 95 % confidence interval of a fraction k / n (Wilson's score interval)."""
    if n == 0:
        return math.nan, math.nan
    p = k / n
    centre = (p + z * z / (2 * n)) / (1 + z * z / n)
    half = z * math.sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / (1 + z * z / n)
    return max(0.0, centre - half), min(1.0, centre + half)


def draw_figures(study, table_path, folder):
    import study_figures
    os.makedirs(folder, exist_ok=True)
    study_figures.draw(study, read_table(table_path), folder)
