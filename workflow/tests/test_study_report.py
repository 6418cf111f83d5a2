"""The study report: the partial rank correlation coefficients against values worked out by hand and
in a study whose order of influence is known; the page's markup; the page in headless Chromium."""

import csv
import json
import math
import os
import random
import re
import shutil
import subprocess
import xml.etree.ElementTree as ET

import pytest

import sensitivity
import study as st

pytest.importorskip("matplotlib")
pytest.importorskip("jinja2")
np = pytest.importorskip("numpy")

ROOT = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))

SCATTER = """\
base = "{base}"
mode = "monte-carlo"
samples = {n}
seed = 3
[[vary]]
key = "concrete.tensile_factor"
distribution = "normal"
mean = 0.44
sd = 0.044
[[vary]]
key = "concrete.placing_temperature"
distribution = "uniform"
low = 10.0
high = 30.0
[[vary]]
name = "formwork h"
key = ["boundary[0].h[0][1]", "boundary[1].h[0][1]"]
distribution = "uniform"
low = 4.0
high = 12.0
"""


def test_ranks_and_prcc_by_hand():
    assert sensitivity.ranks([3.0, 1.0, 3.0, math.inf, 2.0]) == [3.5, 1.0, 3.5, 5.0, 2.0]
    # With one input the PRCC is Spearman's rank correlation: 1 - 6 sum d^2 / (n (n^2 - 1)); here
    # the ranks of y are 1 3 2 4 5 against 1 2 3 4 5, sum d^2 = 2, rho = 1 - 12 / 120 = 0.9.
    (r, low, high), = sensitivity.prcc({"x": [1.0, 2.0, 3.0, 4.0, 5.0]}, [1.0, 3.0, 2.0, 4.0, 9.0]).values()
    assert math.isclose(r, 0.9)
    # Fisher's z: atanh(0.9) = 1.4722, se = 1 / sqrt(5 - 3) = 0.7071: tanh(1.4722 -+ 1.3859) = 0.0861, 0.9934.
    assert math.isclose(low, 0.0861, abs_tol=1e-4) and math.isclose(high, 0.9934, abs_tol=1e-4)
    # An input that does not vary, and an output that does not, have no coefficient.
    assert sensitivity.prcc({"x": [1.0, 2.0, 3.0, 4.0, 5.0], "c": [1.0] * 5}, [1, 2, 3, 4, 5])["c"] is None
    assert sensitivity.prcc({"x": [1.0, 2.0, 3.0, 4.0, 5.0]}, [2.0] * 5)["x"] is None


def known_study(tmp_path, n=400):
    """A Monte Carlo study of the wall whose results are made up so that the order of influence is known:
    the lowest index follows the tensile factor closely and the placing temperature a little, and the
    formwork's h does nothing; variants with an index below 1 crack, earlier the lower their index."""
    path = tmp_path / "scatter.toml"
    path.write_text(SCATTER.format(base=os.path.join(ROOT, "examples", "wall.toml"), n=n))
    study = st.Study(str(path))
    noise = random.Random(11)
    columns = ["variant"] + study.keys() + ["cracked", "judge_value", "lowest_index", "first_crack_age_d",
                                            "largest_width_mm", "largest_temperature_c", "cracking_probability_pct",
                                            "width_within_allowable"]
    rows = []
    for i, v in enumerate(study.variants()):
        tf, t = v["concrete.tensile_factor"], v["concrete.placing_temperature"]
        index = 1.0 + 5.0 * (tf - 0.44) - 0.004 * (t - 20.0) + noise.gauss(0.0, 0.02)
        cracked = index < 1.0
        rows.append([i, repr(tf), repr(t), repr(v["formwork h"]), str(cracked), "1", f"{index:.6g}",
                     f"{2.0 + 3.0 * index:.6g}" if cracked else "", f"{0.3 * (1.0 - index):.6g}" if cracked else "0",
                     f"{t + 10.0 + noise.gauss(0.0, 0.3):.6g}", "50", str(0.3 * (1.0 - index) <= 0.2)])
    table = tmp_path / "study.csv"
    with open(table, "w", newline="") as f:
        csv.writer(f).writerows([columns] + rows)
    return study, table


def test_the_ranking_recovers_the_known_order_of_influence(tmp_path):
    import study_report
    study, table = known_study(tmp_path)
    rows = st.read_table(table)[1:]
    measures = study_report.influence(study, rows)
    ranked = sensitivity.ranking(measures["lowest_index"])
    assert [key for key, _, _ in ranked] == ["concrete.tensile_factor", "concrete.placing_temperature", "formwork h"]
    (_, decides, yes1), (_, barely, yes2), (_, nothing, yes3) = ranked
    assert decides[0] > 0.95 and yes1          # the index rises with the tensile factor
    assert -0.8 < barely[0] < -0.2 and yes2     # and falls a little with the placing temperature
    assert nothing[1] < 0.0 < nothing[2] and not yes3
    # The crack age: the variants that do not crack rank last; it too follows the tensile factor.
    assert sensitivity.ranking(measures["first_crack_age_d"])[0][0] == "concrete.tensile_factor"
    # The largest temperature follows the placing temperature alone.
    temperature = sensitivity.ranking(measures["largest_temperature_c"])
    assert temperature[0][0] == "concrete.placing_temperature" and [yes for *_, yes in temperature] == [True, False, False]
    words = study_report.influence_words("lowest crack index", ranked)
    assert words.startswith("The lowest crack index depends on concrete.tensile_factor (+0.9")
    assert "and concrete.placing_temperature (−0." in words and "formwork h shows none" in words


def test_study_page_is_self_contained_and_says_the_fraction_with_its_interval(tmp_path):
    import study_report
    study, table = known_study(tmp_path)
    out = tmp_path / "study.html"
    study_report.write_report(study, str(table), str(out))
    text = out.read_text(encoding="utf-8")
    root = ET.fromstring(text.replace("<!DOCTYPE html>", "", 1))
    ids = [e.get("id") for e in root.iter() if e.get("id")]
    assert len(ids) == len(set(ids))
    assert {f.get("id") for f in root.iter("figure")} == {"fig-distributions", "fig-influence"}
    assert "<script" not in text and "<link" not in text and "<img" not in text
    for reference in re.findall(r'(?:href|src)="([^"]*)"', text):
        assert reference.startswith(("#", "data:")), reference[:40]
    rows = st.read_table(table)[1:]
    k = sum(r["cracked"] == "True" for r in rows)
    low, high = st.wilson_interval(k, len(rows))
    verdict = " ".join(text[text.index('id="verdict"'):text.index('id="spread"')].split())
    assert f"{k} of 400 variants crack: {100 * k / 400:.1f} % (95 % interval {100 * low:.1f} to {100 * high:.1f} %)" \
        in verdict
    base = float(st.read_table(table)[0]["lowest_index"])
    assert "Wilson" in verdict and f"lowest crack index {base:.2f} gives a cracking probability of " \
        f"{100 * (1 - math.exp(-(base / 0.92) ** -4.29)):.0f} %" in verdict
    wide = sum(r["width_within_allowable"] == "False" for r in rows)
    assert 0 < wide < k and f"{wide} of the 400 variants have a crack wider than their allowable width" in verdict
    assert "Iman, R. L. and Conover" in text and "Fisher, R. A. (1924)" in text


def test_one_at_a_time_page_has_tornado_charts(tmp_path):
    import study_report
    path = tmp_path / "oat.toml"
    path.write_text(f'base = "{os.path.join(ROOT, "examples", "wall.toml")}"\nmode = "one-at-a-time"\n'
                    '[[vary]]\nkey = "concrete.tensile_factor"\nvalues = [0.40, 0.48]\n'
                    '[[vary]]\nkey = "restraint.Rn"\nvalues = [0.6]\n')
    study = st.Study(str(path))
    table = tmp_path / "study.csv"
    with open(table, "w", newline="") as f:
        w = csv.writer(f)
        w.writerow(["variant", "concrete.tensile_factor", "restraint.Rn", "cracked", "judge_value", "lowest_index",
                    "first_crack_age_d", "largest_width_mm", "largest_temperature_c", "cracking_probability_pct",
                                            "width_within_allowable"])
        w.writerows([[0, 0.44, 0.8, True, 1, 0.96, 3.5, 0.18, 30, 56], [1, 0.40, 0.8, True, 1, 0.87, 3.0, 0.2, 30, 70],
                     [2, 0.48, 0.8, False, 1, 1.05, "", 0, 30, 40], [3, 0.44, 0.6, False, 1, 1.2, "", 0, 30, 20]])
    html = study_report.render(study, st.read_table(table))
    assert 'id="fig-tornado"' in html and 'id="fig-influence"' not in html
    # The index spans 0.87 to 1.05 over the tensile factor and 0.96 to 1.2 over Rn: Rn first.
    spans = study_report.tornado_spans(study, st.read_table(table), "lowest_index")
    assert spans == {"concrete.tensile_factor": (0.87, 1.05), "restraint.Rn": (0.96, 1.2)}
    assert html.index("<td>restraint.Rn</td>") < html.index("<td>concrete.tensile_factor</td>")


def test_the_study_page_in_headless_chromium(tmp_path):
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    if browser is None:
        pytest.skip("chromium is not installed (apt-get install -y chromium)")
    import study_report
    study, table = known_study(tmp_path)
    out = tmp_path / "study.html"
    study_report.write_report(study, str(table), str(out))
    probe = """<script>
      var problems = [];
      window.addEventListener('error', function (e) { problems.push('error: ' + e.message); });
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
    assert [line.split()[0] for line in result["sizes"]] == ["fig-distributions", "fig-influence"]
    for line in result["sizes"]:
        name, width, height = line.split()
        assert int(width) > 300 and int(height) > 100, line
    shot = tmp_path / "study.png"
    subprocess.run(common + [f"--screenshot={shot}", out.as_uri()], capture_output=True, timeout=120, check=True)
    assert shot.stat().st_size > 10000
    keep = os.environ.get("THERMOCRACK_STUDY_SCREENSHOT")
    if keep:
        shutil.copyfile(shot, keep)
