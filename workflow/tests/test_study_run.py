"""A small study of the example wall run by Snakemake: every row of study.csv is the summary of the
same variant prepared, run and reported by hand; a change of one value reruns only the variants it
touches; a Monte Carlo study draws its figure."""

import csv
import os
import shutil
import subprocess
import sys

import pytest

ROOT = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))
BINARY = os.environ.get("THERMOCRACK_BINARY", os.path.join(ROOT, "build", "thermocrack"))
SNAKEMAKE = shutil.which("snakemake")

pytestmark = [
    pytest.mark.skipif(SNAKEMAKE is None, reason="snakemake is not installed (apt-get install -y snakemake)"),
    pytest.mark.skipif(not os.path.exists(BINARY), reason=f"no program at {BINARY}: build it, or set THERMOCRACK_BINARY"),
]

GRID = """\
base = "{base}"
[[vary]]
key = "concrete.placing_temperature"
values = [15.0, 25.0]
[[vary]]
name = "formwork removal (days)"
key = ["boundary[0].h[1][0]", "boundary[1].h[1][0]"]
values = [1.0, 3.0, 7.0]
[[vary]]
key = "restraint.Rn"
values = [0.6, {rn}]
"""


def snakemake(study, out):
    done = subprocess.run([SNAKEMAKE, "-s", os.path.join(ROOT, "workflow", "Snakefile"), "--cores", "2", "-q",
                           "--config", f"study={study}", f"out={out}", f"thermocrack={BINARY}"],
                          cwd=os.path.dirname(out), capture_output=True, text=True, timeout=900)
    assert done.returncode == 0, done.stdout + done.stderr


def read_csv(path):
    with open(path, newline="") as f:
        return list(csv.DictReader(f))


def run_logs(out):
    folder = os.path.join(out, "variants")
    return {v: os.stat(os.path.join(folder, v, "run.log")).st_mtime_ns for v in sorted(os.listdir(folder))}


def test_grid_study_rows_are_the_variants_own_summaries_and_a_change_reruns_only_its_variants(tmp_path):
    study = tmp_path / "grid.toml"
    out = str(tmp_path / "grid")
    study.write_text(GRID.format(base=os.path.join(ROOT, "examples", "wall.toml"), rn=0.8))
    snakemake(study, out)
    rows = read_csv(os.path.join(out, "study.csv"))
    assert [r["variant"] for r in rows] == [str(i) for i in range(13)]
    assert os.path.getsize(os.path.join(out, "figures", "study.png")) > 0

    for row in rows:
        # The same variant by hand: prepare its description, run it, report it.
        variant = os.path.join(out, "variants", f"{int(row['variant']):04d}")
        job = str(tmp_path / "by-hand" / row["variant"])
        subprocess.run([BINARY, "prepare", os.path.join(variant, "description.toml"), "--out", job],
                       check=True, capture_output=True)
        subprocess.run([BINARY, "--quiet", job], check=True, capture_output=True)
        subprocess.run([sys.executable, os.path.join(ROOT, "tools", "thermocrack-report"), job,
                        "--out", os.path.join(job, "report.html")], check=True, capture_output=True)
        (by_hand,) = read_csv(os.path.join(job, "summary.csv"))
        assert {k: row[k] for k in by_hand} == by_hand, row["variant"]
    assert {r["restraint.Rn"] for r in rows} == {"0.6", "0.8"}

    # Rn 0.8 becomes 0.7: the six variants with 0.8 run again, the others and the base do not.
    before = run_logs(out)
    study.write_text(GRID.format(base=os.path.join(ROOT, "examples", "wall.toml"), rn=0.7))
    snakemake(study, out)
    after = run_logs(out)
    rows = read_csv(os.path.join(out, "study.csv"))
    changed = {v for v in before if after[v] != before[v]}
    assert changed == {f"{int(r['variant']):04d}" for r in rows if r["restraint.Rn"] == "0.7"}
    assert len(changed) == 6


def test_monte_carlo_study_draws_its_figure(tmp_path):
    study = tmp_path / "scatter.toml"
    study.write_text(f"""\
base = "{os.path.join(ROOT, 'examples', 'wall.toml')}"
mode = "monte-carlo"
samples = 3
seed = 5
[[vary]]
key = "concrete.tensile_factor"
distribution = "normal"
mean = 0.44
sd = 0.04
""")
    out = str(tmp_path / "scatter")
    snakemake(study, out)
    rows = read_csv(os.path.join(out, "study.csv"))
    assert len(rows) == 4 and rows[0]["concrete.tensile_factor"] == "0.44"
    assert os.path.getsize(os.path.join(out, "figures", "study.png")) > 0
