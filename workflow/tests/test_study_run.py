"""Small studies of the example wall run by Snakemake: every row of study.csv is the summary of the
same variant prepared, run and reported by hand, and the same whatever the batches; a change of one
value reruns only the variants it touches; a variant that fails is named and the rest of its batch
runs; a Monte Carlo study draws its figure and its report."""

import csv
import json
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
batch = 2
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


def snakemake(study, out, *config, fails=False):
    done = subprocess.run([SNAKEMAKE, "-s", os.path.join(ROOT, "workflow", "Snakefile"), "--cores", "2", "-q",
                           "--config", f"study={study}", f"out={out}", f"thermocrack={BINARY}", *config],
                          cwd=os.path.dirname(out), capture_output=True, text=True, timeout=900)
    assert (done.returncode != 0) == fails, done.stdout + done.stderr
    return done.stdout + done.stderr


def read_csv(path):
    with open(path, newline="") as f:
        return list(csv.DictReader(f))


def run_logs(out):
    folder = os.path.join(out, "variants")
    return {v: os.stat(os.path.join(folder, v, "run.log")).st_mtime_ns for v in sorted(os.listdir(folder))}


def batch_records(out):
    folder = os.path.join(out, "batches")
    return {b: os.stat(os.path.join(folder, b)).st_mtime_ns for b in sorted(os.listdir(folder))}


def test_grid_study_rows_are_the_variants_own_summaries_whatever_the_batches_and_a_change_reruns_only_its_variants(
        tmp_path):
    study = tmp_path / "grid.toml"
    out = str(tmp_path / "grid")
    study.write_text(GRID.format(base=os.path.join(ROOT, "examples", "wall.toml"), rn=0.8))
    snakemake(study, out)
    rows = read_csv(os.path.join(out, "study.csv"))
    assert sorted(os.listdir(os.path.join(out, "batches"))) == [f"{b:04d}.json" for b in range(0, 13, 2)]
    # One variant a batch gives the same table, byte for byte.
    snakemake(study, str(tmp_path / "one-a-batch"), "batch=1")
    with open(os.path.join(out, "study.csv"), "rb") as a, open(tmp_path / "one-a-batch" / "study.csv", "rb") as b:
        assert a.read() == b.read()
    assert len(os.listdir(tmp_path / "one-a-batch" / "batches")) == 13
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
    before, batches_before = run_logs(out), batch_records(out)
    study.write_text(GRID.format(base=os.path.join(ROOT, "examples", "wall.toml"), rn=0.7))
    snakemake(study, out)
    after, batches_after = run_logs(out), batch_records(out)
    rows = read_csv(os.path.join(out, "study.csv"))
    changed = {v for v in before if after[v] != before[v]}
    assert changed == {f"{int(r['variant']):04d}" for r in rows if r["restraint.Rn"] == "0.7"}
    assert len(changed) == 6
    # Two a batch, Rn alternating: every batch but the first (the base job and variant 1, Rn 0.6)
    # holds one variant with Rn 0.7; those batches run again, running only that variant.
    rerun = {b for b in batches_before if batches_after[b] != batches_before[b]}
    assert rerun == set(batches_before) - {"0000.json"}
    for b in rerun:
        with open(os.path.join(out, "batches", b)) as f:
            record = json.load(f)
        assert len(record["ran"]) == 1 and record["ran"][0] in changed and not set(record["stood"]) & changed


def test_a_variant_that_fails_is_named_with_its_log_and_the_rest_of_its_batch_runs(tmp_path):
    study = tmp_path / "fails.toml"
    study.write_text(f"""\
base = "{os.path.join(ROOT, 'examples', 'wall.toml')}"
[[vary]]
key = "mesh.size[0]"
values = [80.0, -40.0, 100.0]
""")
    out = str(tmp_path / "fails")
    said = snakemake(study, out, "batch=4", fails=True)
    log = os.path.join(out, "variants", "0002", "prepare.log")
    assert f"variant 0002 failed: " in said and log in said
    assert "1 of 4 failed (0002)" in said
    for v in ("0000", "0001", "0003"):
        assert os.path.exists(os.path.join(out, "variants", v, "summary.json")), v
    assert not os.path.exists(os.path.join(out, "variants", "0002", "summary.json"))
    assert not os.path.exists(os.path.join(out, "study.csv"))


def test_monte_carlo_study_draws_its_figure_and_its_report(tmp_path):
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
    with open(os.path.join(out, "study.html"), encoding="utf-8") as f:
        assert "of 3 variants crack" in f.read()
