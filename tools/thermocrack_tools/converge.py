"""Whether a job's answer hangs on its steps: the job rerun with every step halved, and halved again,
and how the first crack age, the lowest crack index, the status and the largest crack width move.

Each level k copies the job's inputs into JOB/converge/level-k, puts a new age in the middle of every
step of heat.toml's output ages k times over (level 0 keeps them), and runs the heat analysis, the
cracking run and the summary there. The spread of a quantity is its largest less its smallest value
over the levels; a spread above its tolerance, or a status that changes, is a warning.

converge.json in the job folder holds the levels, the spreads, the tolerances and a digest of the
job's inputs, so that the report shows it only while the inputs are the same.
"""

import hashlib
import json
import math
import os
import re
import shutil
import subprocess

from .job_files import JobError, load_job, read_heat_inputs, read_job_name
from .summary import summarise

# Tolerances of the spread over the levels (README gives the measurements behind them).
DEFAULT_TOLERANCES = {
    "first_crack_age_d": 0.125,  # days (3 hours)
    "lowest_index": 0.02,
    "largest_width_mm": 0.02,    # mm
}
DEFAULT_HALVINGS = 3
QUANTITIES = ("first_crack_age_d", "lowest_index", "largest_width_mm")
INPUTS = ("title.dat", "heat.toml", "limits.toml")


def job_inputs(folder):
    """The names of the job's input files: title.dat, the deck, the mesh, heat.toml, its mesh, limits.toml."""
    if not os.path.isdir(folder):
        raise JobError(f"{folder}: no such job folder")
    name = read_job_name(os.path.join(folder, "title.dat"))
    heat = read_heat_inputs(os.path.join(folder, "heat.toml"))
    if heat is None:
        raise JobError(f"{os.path.join(folder, 'heat.toml')}: is missing; the steps can only be halved where "
                       "thermocrack heat makes the temperatures")
    names = [n for n in INPUTS if os.path.isfile(os.path.join(folder, n))] + [name + ".inp", name + ".dat"]
    mesh = heat.table.get("mesh")
    if isinstance(mesh, str):
        names.append(mesh)
    for n in names:
        if not os.path.isfile(os.path.join(folder, n)):
            raise JobError(f"{os.path.join(folder, n)}: is missing")
    return name, heat, sorted(set(names))


def inputs_digest(folder, names):
    h = hashlib.sha256()
    for n in names:
        h.update(n.encode() + b"\0")
        with open(os.path.join(folder, n), "rb") as f:
            h.update(f.read())
    return h.hexdigest()


def output_ages(table, path):
    """The output ages of heat.toml's [output]: a list, or start, step, end."""
    out = table.get("output")
    if not isinstance(out, dict):
        raise JobError(f"{path}: has no [output]")
    if "ages" in out:
        return [float(a) for a in out["ages"]]
    start, step, end = (float(out[k]) for k in ("start", "step", "end"))
    count = int(math.floor((end - start) / step + 1e-9))
    return [start + k * step for k in range(count + 1)]


def halved(ages, times):
    """The ages with a new one in the middle of every step (from age 0 to the first too), times over."""
    for _ in range(times):
        new = []
        before = 0.0
        for a in ages:
            new += [(before + a) / 2.0, a]
            before = a
        ages = new
    return ages


def with_ages(text, ages):
    """heat.toml's text with its [output] table replaced by one listing ages (at the end)."""
    lines = text.splitlines()
    kept, inside = [], False
    for line in lines:
        if re.match(r"\s*\[\[?", line):
            inside = re.match(r"\s*\[output\]", line) is not None
        if not inside:
            kept.append(line)
    listed = ", ".join(f"{a:.10g}" for a in ages)
    return "\n".join(kept).rstrip() + f"\n\n[output]\nages = [{listed}]\n"


def run_level(job_folder, names, level, program, heat_text, ages, log):
    folder = os.path.join(job_folder, "converge", f"level-{level}")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for n in names:
        shutil.copyfile(os.path.join(job_folder, n), os.path.join(folder, n))
    with open(os.path.join(folder, "heat.toml"), "w", encoding="utf-8") as f:
        f.write(with_ages(heat_text, halved(ages, level)))
    for args in ([program, "heat", folder, "--force"], [program, "--quiet", folder]):
        done = subprocess.run(args, capture_output=True, text=True)
        with open(os.path.join(folder, "run.log"), "a", encoding="utf-8") as f:
            f.write(f"$ {' '.join(args)}\n{done.stdout}{done.stderr}")
        if done.returncode != 0:
            raise JobError(f"{' '.join(args)}: exit status {done.returncode}; see {os.path.join(folder, 'run.log')}")
    s = summarise(load_job(folder))
    level_ages = halved(ages, level)
    row = {"level": level, "steps": s.steps,
           "smallest_step_d": min(b - a for a, b in zip([0.0] + level_ages, level_ages)), "status": s.status}
    row.update({q: getattr(s, q) for q in QUANTITIES})
    log(f"level {level}: {s.steps} steps, status {s.status}, first crack {fmt(row['first_crack_age_d'])} d, "
        f"lowest index {fmt(row['lowest_index'], 3)}, largest width {fmt(row['largest_width_mm'], 3)} mm")
    return row


def fmt(v, digits=2):
    return "none" if v is None or (isinstance(v, float) and not math.isfinite(v)) else f"{v:.{digits}f}"


def spreads(rows, tolerances):
    """Per quantity: the spread over the levels (None when some levels have no value and others do:
    then it counts as a warning), its tolerance and whether it is within."""
    out = {}
    for q in QUANTITIES:
        values = [r[q] for r in rows]
        finite = [v for v in values if v is not None and math.isfinite(v)]
        if not finite:
            spread = 0.0
        elif len(finite) < len(values):
            spread = None
        else:
            spread = max(finite) - min(finite)
        out[q] = {"spread": spread, "tolerance": tolerances[q],
                  "within": spread is not None and spread <= tolerances[q]}
    statuses = sorted({r["status"] for r in rows}, key=lambda v: (v is None, v))
    out["status"] = {"values": statuses, "within": len(statuses) == 1}
    return out


def converge(job_folder, program, halvings=DEFAULT_HALVINGS, tolerances=None, log=print):
    """Runs the levels 0 to halvings and writes converge.json and converge.csv in the job folder;
    gives the result."""
    tolerances = dict(DEFAULT_TOLERANCES, **(tolerances or {}))
    name, heat, names = job_inputs(job_folder)
    heat_path = os.path.join(job_folder, "heat.toml")
    with open(heat_path, encoding="utf-8") as f:
        heat_text = f.read()
    ages = output_ages(heat.table, heat_path)
    rows = [run_level(job_folder, names, k, program, heat_text, ages, log) for k in range(halvings + 1)]
    result = {"job": name, "inputs_digest": inputs_digest(job_folder, names), "halvings": halvings,
              "levels": rows, "spreads": spreads(rows, tolerances)}
    result["converged"] = all(v["within"] for v in result["spreads"].values())
    clean = json.loads(json.dumps(result, default=str).replace("NaN", "null"))
    with open(os.path.join(job_folder, "converge.json"), "w", encoding="utf-8") as f:
        json.dump(clean, f, indent=2)
        f.write("\n")
    with open(os.path.join(job_folder, "converge.csv"), "w", encoding="utf-8") as f:
        columns = ["level", "steps", "smallest_step_d", "status"] + list(QUANTITIES)
        f.write(",".join(columns) + "\n")
        for r in rows:
            f.write(",".join("" if r[c] is None or (isinstance(r[c], float) and not math.isfinite(r[c]))
                             else f"{r[c]:.6g}" if isinstance(r[c], float) else str(r[c]) for c in columns) + "\n")
    return clean


def read_converge(job_folder, names=None):
    """converge.json of the job when its inputs are those it was made from, else None; a second value
    says why it was left out ('' when shown or absent)."""
    path = os.path.join(job_folder, "converge.json")
    if not os.path.isfile(path):
        return None, ""
    try:
        with open(path, encoding="utf-8") as f:
            result = json.load(f)
        if names is None:
            names = job_inputs(job_folder)[2]
        if result.get("inputs_digest") != inputs_digest(job_folder, names):
            return None, "converge.json was made from other inputs: run thermocrack-converge again"
    except (OSError, ValueError, JobError) as e:
        return None, f"converge.json cannot be read: {e}"
    return result, ""
