"""The limits the report checks: sourced defaults from data/, a job's limits.toml and its errors, the
core-to-surface difference measured at the middle of each face (joints left out), the report's table
of checks; and the convergence check's halving of the steps."""

import json
import os
import shutil
import subprocess

import pytest

from conftest import REPO, load_script

pytest.importorskip("matplotlib")
pytest.importorskip("jinja2")


def test_defaults_come_from_the_sourced_tables_and_limits_toml_takes_their_place(tmp_path):
    from thermocrack_tools.job_files import JobError
    from thermocrack_tools.limits import exposure_classes, resolve_limits
    default = resolve_limits(None)
    assert (default.max_temperature_c, default.max_difference_c, default.allowable_width_mm) == (70.0, 19.0, 0.2)
    assert "ACI 301-20" in default.max_temperature_source and "ACI 301-20" in default.max_difference_source
    classes = exposure_classes()
    assert classes["XC3"][0] == 0.3 and "Table 7.1N" in classes["XC3"][1]
    assert classes["deicing chemicals"][0] == 0.18 and "ACI 224R-01, Table 4.1" in classes["deicing chemicals"][1]
    (tmp_path / "limits.toml").write_text("# from d.toml\nmax_difference = 20.0\nexposure = \"XS1\"\n")
    job = resolve_limits(str(tmp_path))
    assert (job.max_difference_c, job.max_difference_source) == (20.0, "given (limits.toml)")
    assert job.allowable_width_mm == 0.3 and job.allowable_width_source.startswith("exposure class XS1: EN 1992-1-1")
    # Options win over the file.
    assert resolve_limits(str(tmp_path), allowable_width=0.15).allowable_width_mm == 0.15
    (tmp_path / "limits.toml").write_text("max_difference = 20.0\n\nexposure = \"XC7\"\n")
    with pytest.raises(JobError, match=r'limits.toml, line 3: key "exposure": "XC7" is not a known exposure '
                                       r'class \(known: "dry air", .*"XS3"\)'):
        resolve_limits(str(tmp_path))
    (tmp_path / "limits.toml").write_text("max_temp = 20.0\n")
    with pytest.raises(JobError, match=r'line 1: key "max_temp": is not a known key'):
        resolve_limits(str(tmp_path))


def test_core_to_surface_difference_is_taken_at_the_middle_of_each_face(wall_job):
    from thermocrack_tools.job_files import load_job
    from thermocrack_tools.limits import face_differences
    job = load_job(str(wall_job))
    rows = {side: (best, why) for side, best, why in face_differences(job)}
    # The wall's bottom is its joint with the footing (a boundary with surroundings of its own).
    assert rows["bottom"][0] is None and "joint" in rows["bottom"][1]
    X, Y = job.mesh.X, job.mesh.Y
    for side, surface_at in (("left", (0.0, 1500.0)), ("right", (400.0, 1500.0)), ("top", (200.0, 3000.0))):
        d, age, surface, core = rows[side][0]
        assert (X[surface - 1], Y[surface - 1]) == surface_at
        assert (Y[core - 1] == 1500.0) if side != "top" else (X[core - 1] == 200.0)
        block = next(b for b in job.temperatures if b.Age == age)
        assert d == pytest.approx(block.T[core - 1] - block.T[surface - 1])
    # The wall is symmetric: its left and right faces give the same difference.
    assert rows["left"][0][0] == pytest.approx(rows["right"][0][0])


def test_the_report_shows_every_check_with_its_limit_and_source(tmp_path, wall_job):
    report = load_script(REPO / "tools" / "thermocrack-report", "thermocrack_report")
    (wall_job / "limits.toml").write_text("max_temperature = 28.0\nexposure = \"humid air\"\n")
    out = tmp_path / "r.html"
    assert report.main([str(wall_job), "--out", str(out)]) == 0
    text = out.read_text(encoding="utf-8")
    checks = text[text.index('id="limit-checks"'):text.index('id="face-differences"')]
    for words in ("Largest concrete temperature", "30.3 C", "28 C", "above the limit", "given (limits.toml)",
                  "Core-to-surface difference (top face)", "19 C", "ACI 301-20", "0.184 mm", "0.3 mm",
                  "exposure class humid air: ACI 224R-01, Table 4.1"):
        assert words in checks, words
    assert 'class="verdict bad"' in text  # above the temperature limit
    assert "What this model does not include" in text and "not its equivalent age" in text
    row = json.loads((tmp_path / "summary.json").read_text())
    assert (row["temperature_within_limit"], row["temperature_limit_c"], row["allowable_width_mm"]) == (False, 28.0, 0.3)
    assert row["core_surface_face"] == "top" and row["difference_within_limit"] is True


def test_output_ages_are_summarised_as_runs_and_halved_with_heat_toml_kept():
    from thermocrack_tools.converge import halved, output_ages, with_ages
    from thermocrack_tools.report_page import age_runs
    assert age_runs([0.1, 0.25, 0.5, 0.75, 1.0, 1.5, 2.0, 3.0, 4.0, 5.0, 7.0]) == \
        "11 ages: 0.1; 0.25 to 1 every 0.25; 1.5; 2 to 5 every 1; 7"
    assert age_runs([0.5, 1.0]) == "0.5, 1"
    assert halved([1.0, 2.0], 1) == [0.5, 1.0, 1.5, 2.0]
    assert halved([1.0], 2) == [0.25, 0.5, 0.75, 1.0]
    import tomllib
    text = "[concrete]\ndensity = 2400.0\n\n[output]\nstart = 1.0\nstep = 1.0\nend = 3.0\n\n[[boundary]]\nside = \"top\"\nh = 14.0\n"
    table = tomllib.loads(text)
    assert output_ages(table, "heat.toml") == [1.0, 2.0, 3.0]
    new = tomllib.loads(with_ages(text, halved(output_ages(table, "heat.toml"), 1)))
    assert new["output"] == {"ages": [0.5, 1.0, 1.5, 2.0, 2.5, 3.0]}
    assert new["boundary"] == table["boundary"] and new["concrete"] == table["concrete"]


def test_converge_reruns_the_job_with_halved_steps_and_the_report_shows_it_while_the_inputs_hold(tmp_path):
    program = os.environ.get("THERMOCRACK_BINARY") or str(REPO / "build" / "thermocrack")
    if not os.access(program, os.X_OK):
        pytest.skip(f"{program} is not built")
    job = tmp_path / "wall"
    shutil.copytree(REPO / "examples" / "wall" / "job", job)
    converge = load_script(REPO / "tools" / "thermocrack-converge", "thermocrack_converge")
    # The example's listed ages are too coarse: halving them once changes the status (3 to 0).
    assert converge.main([str(job), "--halvings", "1", "--program", program]) == 1
    result = json.loads((job / "converge.json").read_text())
    assert [(r["level"], r["steps"], r["smallest_step_d"], r["status"]) for r in result["levels"]] == \
        [(0, 27, 0.1, 3), (1, 55, 0.05, 0)]
    assert result["spreads"]["status"] == {"values": [0, 3], "within": False} and not result["converged"]
    assert (job / "converge" / "level-1" / "wall.sta").is_file()
    subprocess.run([program, "--quiet", str(job)], check=True, capture_output=True)
    report = load_script(REPO / "tools" / "thermocrack-report", "thermocrack_report")
    assert report.main([str(job), "--out", str(tmp_path / "r.html")]) == 0
    text = (tmp_path / "r.html").read_text(encoding="utf-8")
    assert 'id="convergence-table"' in text and "the answer hangs on the steps" in text
    # Another input: the check no longer applies.
    (job / "wall.inp").write_bytes((job / "wall.inp").read_bytes().replace(b"0.8", b"0.7", 1))
    assert report.main([str(job), "--out", str(tmp_path / "r.html")]) == 0
    assert "converge.json was made from other inputs" in (tmp_path / "r.html").read_text(encoding="utf-8")
