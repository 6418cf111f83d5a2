"""thermocrack-report: the summary against values worked out by hand, the page's markup, the command's
errors, and the page in a real browser (headless Chromium)."""

import csv
import json
import os
import re
import shutil
import subprocess
import xml.etree.ElementTree as ET

import pytest

from conftest import REPO, load_script
from test_parsing import free_record, make_job

pytest.importorskip("matplotlib")
pytest.importorskip("jinja2")

REPORT = REPO / "tools" / "thermocrack-report"


@pytest.fixture(scope="session")
def report():
    return load_script(REPORT, "thermocrack_report")


def small_job(folder):
    """The 3 x 2 element job of test_parsing with two steps (ages 0.5 and 1.0) whose results are chosen:

    step 1: indexes at judgement 2.0, 0.8, -3.0 (compression), 1.5, Infinity, 1.8: element 2 cracks;
    step 2: element 2 (cracked before) 0.5, element 5 0.95, the rest above 1: element 5 cracks too.
    So the lowest index that counts is 0.8 at 0.5 days in element 2, not step 2's 0.5 (an element
    already cracked) nor 0.95. Widths: bar 1 0.05 then 0.30 mm, bar 2 0.12 then 0.18 mm.
    """
    hcj = free_record([0.5, 2.0, 0.8, -3.0, 1.5, "Infinity", 1.8]) + free_record([1.0, 1.4, 0.5, 3.0, 1.2, 0.95, 2.5])
    make_job(folder,
             hcr=free_record([0.5, 2]) + free_record([1.0, 2, 5]),
             hwd=free_record([0.5, 0.01, 0.05, 0.12]) + free_record([1.0, 0.02, 0.30, 0.18]),
             hdp=free_record([0.5, 100.0]) + free_record([1.0, 200.0]))
    (folder / "my job.hcj").write_bytes(("\r\n".join(hcj) + "\r\n").encode())
    (folder / "my job.sta").write_bytes(b"          -1\r\n")
    return folder


def test_summary_values_worked_out_by_hand(report, tmp_path):
    from thermocrack_tools.job_files import load_job
    from thermocrack_tools.summary import cracking_probability, summarise
    # P(I) = 1 - exp(-(I / 0.92)^-4.29): at 1.0, (0.92)^4.29 = exp(4.29 ln 0.92) = 0.69933, P = 0.50306.
    assert [round(cracking_probability(i), 4) for i in (1.0, 1.4, 1.85)] == [0.5031, 0.1522, 0.0487]
    s = summarise(load_job(str(small_job(tmp_path / "job"))), allowable_width=0.25)
    assert (s.lowest_index, s.lowest_index_age_d, s.lowest_index_element) == (0.8, 0.5, 2)
    assert (s.lowest_index_x_mm, s.lowest_index_y_mm) == (150.0, 50.0)
    # (0.8 / 0.92)^-4.29 = 1.15^4.29 = 1.8213; P = 1 - exp(-1.8213) = 0.8382
    assert round(s.cracking_probability_pct, 2) == 83.82
    assert (s.cracked, s.first_crack_age_d, s.first_crack_element, s.cracked_elements) == (True, 0.5, 2, 2)
    assert (s.largest_width_mm, s.largest_width_bar, s.largest_width_age_d) == (0.30, 1, 1.0)
    assert s.largest_width_face == "left face, X = 0 mm" and not s.width_within_allowable
    # The two inner nodes warm by 5 C a block; every boundary node stays at 20 C.
    assert (s.largest_temperature_c, s.largest_temperature_age_d, s.largest_temperature_node) == (30.0, 1.0, 6)
    assert (s.largest_difference_c, s.largest_difference_age_d) == (10.0, 1.0)
    assert s.status == -1 and "neither the top nor the bottom" in s.status_meaning


def test_report_page_is_self_contained_valid_and_holds_every_figure(report, wall_job, tmp_path, capsys):
    out = tmp_path / "out" / "report.html"
    assert report.main([str(wall_job), "--out", str(out), "--allowable-width", "0.3"]) == 0
    assert capsys.readouterr().out.split() == [str(out), str(out.parent / "summary.json"),
                                               str(out.parent / "summary.csv")]
    text = out.read_text(encoding="utf-8")
    # Well-formed markup (parsed as XML), ids unique across the inline figures.
    root = ET.fromstring(text.replace("<!DOCTYPE html>", "", 1))
    ids = [e.get("id") for e in root.iter() if e.get("id")]
    assert len(ids) == len(set(ids))
    ns = "{http://www.w3.org/1999/xhtml}"
    figures = {f.get("id"): f for f in root.iter(f"{ns}figure")} or {f.get("id"): f for f in root.iter("figure")}
    from thermocrack_tools.figures import FIGURE_NAMES
    assert sorted(figures) == sorted(f"fig-{name}" for name in FIGURE_NAMES)
    for figure in figures.values():
        assert any(e.tag.endswith("svg") for e in figure.iter())
    # No external reference: links only within the page, no scripts, no remote resources.
    assert "<script" not in text and "<link" not in text and "<img" not in text
    for reference in re.findall(r'(?:href|src)="([^"]*)"', text):
        assert reference.startswith(("#", "data:")), reference[:40]
    assert not re.search(r"url\((?!#)", text)
    # The verdict comes first and names the crack, the index, the probability and the width.
    verdict = text[text.index('id="verdict"'):text.index('id="inputs"')]
    for words in ("cracks at 3.5 days", "element 85", "0.96 (at judgement)", "56 %", "0.184 mm at bar 29",
                  "within the allowable width of 0.3 mm", "Status 3"):
        assert words in verdict, words
    assert "P(I) = 1 − exp(−(I / 0.92)" in text
    row = json.loads((out.parent / "summary.json").read_text())
    with open(out.parent / "summary.csv", newline="") as f:
        (csv_row,) = list(csv.DictReader(f))
    assert list(csv_row) == list(row)
    assert (row["job"], row["status"], row["first_crack_age_d"], row["lowest_index_element"]) == ("wall", 3, 3.5, 85)
    assert csv_row["lowest_index"] == "0.96048" and csv_row["width_within_allowable"] == "True"


@pytest.mark.parametrize("damage, named", [
    (lambda f: (f / "my job.tmp").unlink(), "my job.tmp: file not found"),
    (lambda f: (f / "my job.hcj").write_text(" 0.5 1.0 2.0\n"), "my job.hcj: 3 values do not make whole records"),
    (lambda f: (f / "heat.toml").write_text("[ambient]\ntemperature = [[0.0, 20.0], [0.0, 15.0]]\n"),
     "heat.toml: [ambient] temperature: the ages of the [age, C] points must increase"),
    (lambda f: (f / "heat.toml").write_text("[ambient\n"), "heat.toml: "),
    (lambda f: (f / "my job.sta").write_text(" 7\n"), "my job.sta: holds 7, not one status value"),
])
def test_missing_or_malformed_files_exit_2_naming_the_file(report, tmp_path, capsys, damage, named):
    folder = small_job(tmp_path / "job")
    damage(folder)
    assert report.main([str(folder), "--out", str(tmp_path / "r.html")]) == 2
    err = capsys.readouterr().err
    assert err.startswith("thermocrack-report: error: ") and named in err, err
    assert not (tmp_path / "r.html").exists()


def test_the_page_in_headless_chromium(report, wall_job, tmp_path):
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    if browser is None:
        pytest.skip("chromium is not installed (apt-get install -y chromium)")
    out = tmp_path / "report.html"
    assert report.main([str(wall_job), "--out", str(out)]) == 0
    # A copy of the page with a probe that records script errors and the size of every figure.
    probe = """<script>
      var problems = [];
      window.addEventListener('error', function (e) { problems.push('error: ' + e.message); });
      var consoleError = console.error;
      console.error = function () { problems.push('console: ' + Array.from(arguments).join(' ')); };
      window.addEventListener('load', function () {
        var sizes = Array.from(document.querySelectorAll('figure')).map(function (f) {
          var r = f.querySelector('svg').getBoundingClientRect();
          return f.id + ' ' + Math.round(r.width) + ' ' + Math.round(r.height);
        });
        var pre = document.createElement('pre');
        pre.id = 'probe';
        pre.textContent = JSON.stringify({sizes: sizes, problems: problems});
        document.body.appendChild(pre);
      });
    </script>"""
    probed = tmp_path / "probed.html"
    probed.write_text(out.read_text(encoding="utf-8").replace("</head>", probe + "</head>", 1), encoding="utf-8")
    common = [browser, "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars", "--window-size=1280,1000",
              "--enable-logging=stderr", "--v=0"]
    dom = subprocess.run(common + ["--dump-dom", probed.as_uri()], capture_output=True, text=True, timeout=120)
    found = re.search(r'<pre id="probe">(.*?)</pre>', dom.stdout, re.S)
    assert found, dom.stderr[-2000:]
    result = json.loads(found.group(1).replace("&quot;", '"'))
    assert result["problems"] == []
    assert not re.search(r"CONSOLE.*(Error|Uncaught)", dom.stderr), dom.stderr
    from thermocrack_tools.figures import FIGURE_NAMES
    assert len(result["sizes"]) == len(FIGURE_NAMES)
    for line in result["sizes"]:
        name, width, height = line.split()
        assert int(width) > 100 and int(height) > 100, line
    # The first screen as a reader sees it.
    shot = tmp_path / "report.png"
    subprocess.run(common + [f"--screenshot={shot}", out.as_uri()], capture_output=True, timeout=120, check=True)
    assert shot.stat().st_size > 10000
    keep = os.environ.get("THERMOCRACK_SCREENSHOT")
    if keep:
        shutil.copyfile(shot, keep)
