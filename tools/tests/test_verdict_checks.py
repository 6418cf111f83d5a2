"""The steel checks and the values' provenance of thermocrack-report: the minimum reinforcement of
EN 1992-1-1 (7.1) and the yield check on the example wall worked out by hand, a failing case of
each, a job without derived.toml, and every sourced table's rows carrying their source."""

import json
import math
import os

import pytest

from conftest import REPO, load_script

pytest.importorskip("jinja2")
pytest.importorskip("matplotlib")


def checks_of(folder):
    from thermocrack_tools.job_files import load_job
    from thermocrack_tools.summary import summarise
    from thermocrack_tools.verdict_checks import steel_checks
    job = load_job(str(folder))
    return steel_checks(job, summarise(job))


def test_the_example_walls_steel_worked_out_by_hand(wall_job):
    from thermocrack_tools.verdict_checks import k_factor, verdict_words
    # k of (7.1): 1.0 to 300 mm, 0.65 from 800 mm, linear between: 400 mm gives 1 - 0.35 / 5 = 0.93.
    assert [round(k_factor(h), 4) for h in (200.0, 300.0, 400.0, 550.0, 800.0, 1200.0)] == [1.0, 1.0, 0.93, 0.825, 0.65, 0.65]
    c = checks_of(wall_job)
    # The wall cracks at 3.5 days: fc = 40 x 3.5 / (4.5 + 0.95 x 3.5) = 17.891, ft = 0.44 sqrt(17.891) = 1.8611.
    assert (c.fct_age, round(c.fct_eff, 4)) == (3.5, 1.8611)
    # Both faces hold half the 400 mm depth: A_ct = 200000 mm2/m; A_s,min = 1 x 0.93 x 1.8611 x 200000 / 500
    # = 692.3 mm2/m against D19 (286.5 mm2) at 200 mm = 1432.5 mm2/m.
    assert [(f.face, round(f.required_mm2_per_m, 1), f.provided_mm2_per_m, f.ok) for f in c.faces] == [
        ("left", 692.3, 1432.5, True), ("right", 692.3, 1432.5, True)]
    assert (c.yield_strength, c.yield_how) == (500.0, "default (B500)") and "EN 10080" in c.yield_source
    assert c.within_yield and c.largest_stress == pytest.approx(93.40425) and verdict_words(c) == []
    columns = c.columns()
    assert (columns["restraint_from"], columns["spread_lengths_from"], columns["minimum_reinforcement_met"]) == (
        "given", "given", True)


def test_failing_checks_are_flagged_and_a_job_without_derived_toml_is_only_checked_for_yield(wall_job):
    from thermocrack_tools.verdict_checks import verdict_words
    text = (wall_job / "derived.toml").read_text()
    # A given yield strength (90) below the largest stress; the right face's bars gone, the left's at
    # 400 mm: the left face alone holds the whole depth, 0.93 x 1.8611 x 400000 / 90 = 7692.6 > 716.25 mm2/m.
    text = text.replace("given = false\nmethod = \"default: grade B500\"\nyield = 500.0", "given = true\nmethod = \"given\"\nyield = 90.0")
    left, right = text.split("[[layer]]")[1:3]
    text = text.split("[[layer]]")[0] + "[[layer]]" + left.replace("spacing = 200.0", "spacing = 400.0")
    (wall_job / "derived.toml").write_text(text)
    c = checks_of(wall_job)
    assert (c.yield_how, c.within_yield) == ("given", False)
    assert [(f.face, round(f.required_mm2_per_m, 1), f.provided_mm2_per_m, f.ok) for f in c.faces] == [
        ("left", 7692.6, 716.25, False)]
    words = verdict_words(c)
    assert "reaches the yield strength 90 N/mm²" in words[0] and "left face 716 of 7693 mm²/m" in words[1]

    os.remove(wall_job / "derived.toml")
    c = checks_of(wall_job)
    assert c.faces == [] and c.minimum_met is None and c.within_yield and c.yield_strength == 500.0


def test_the_report_shows_the_checks_and_where_derived_values_come_from(tmp_path):
    from conftest import copy_job
    # The derived example's job: its description's files with a run's results worked out here.
    import subprocess
    binary = REPO / "build" / "thermocrack"
    if not binary.exists():
        pytest.skip("build/thermocrack is not built")
    job = tmp_path / "wd"
    subprocess.run([str(binary), "prepare", str(REPO / "examples" / "wall-derived.toml"), "--out", str(job)],
                   check=True, capture_output=True)
    subprocess.run([str(binary), str(job)], check=True, capture_output=True)
    report = load_script(REPO / "tools" / "thermocrack-report", "thermocrack_report")
    assert report.main([str(job), "--out", str(tmp_path / "r" / "report.html")]) == 0
    page = (tmp_path / "r" / "report.html").read_text()
    assert 'id="steel-checks"' in page and 'id="provenance"' in page
    assert "Rn = 0.302, Rm1 = 0.311, Rm2 = 0.311" in page and "lcb = 848, lcu = 848, lsb = 424, lsu = 424" in page
    assert "CIRIA C660" in page and "EN 1992-1-1 7.3.4 expression (7.11)" in page and "not checked against a readable copy" in page
    summary = json.loads((tmp_path / "r" / "summary.json").read_text())
    assert (summary["restraint_from"], summary["spread_lengths_from"], summary["bar_stress_within_yield"]) == (
        "derived", "derived", True)


def test_every_sourced_table_row_names_its_source():
    import tomllib
    tables = sorted((REPO / "data").glob("*.toml"))
    assert len(tables) >= 5
    for path in tables:
        document = tomllib.loads(path.read_text())
        rows = [r for v in document.values() if isinstance(v, list) for r in v if isinstance(r, dict)]
        assert rows and all(r.get("source") for r in rows), path.name
