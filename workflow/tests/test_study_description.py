"""The study description: its variants and its errors, which name the file, the line and the key."""

import math
import os
import textwrap

import pytest

import study as st

BASE = textwrap.dedent("""\
    name = "wall"
    [concrete]
    C = 0.44
    [[bars]]
    diameter = 19.0
    [[bars]]
    diameter = 16.0
    [heat.concrete]
    placing_temperature = 20.0
    """)


def write(tmp_path, text, base=BASE):
    (tmp_path / "base.toml").write_text(base)
    path = tmp_path / "study.toml"
    path.write_text(textwrap.dedent(text))
    return str(path)


def test_grid_and_one_at_a_time_variants(tmp_path):
    grid = st.Study(write(tmp_path, """\
        base = "base.toml"
        [[vary]]
        key = "heat.concrete.placing_temperature"
        values = [10.0, 20.0, 30.0]
        [[vary]]
        name = "diameter"
        key = ["bars[1].diameter", "bars[0].diameter"]
        values = [13, 16]
        """, base=BASE.replace("19.0", "16.0")))
    variants = grid.variants()
    assert variants[0] == {"heat.concrete.placing_temperature": 20.0, "diameter": 16.0}
    assert len(variants) == 1 + 6
    assert variants[1:3] == [{"heat.concrete.placing_temperature": 10.0, "diameter": 13.0},
                             {"heat.concrete.placing_temperature": 10.0, "diameter": 16.0}]
    description = st.variant_description(grid, variants[1])
    assert description["bars"][1]["diameter"] == 13.0 and description["bars"][0]["diameter"] == 13.0
    assert description["heat"]["concrete"]["placing_temperature"] == 10.0
    assert grid.description["heat"]["concrete"]["placing_temperature"] == 20.0  # the base is left as it was

    one = st.Study(write(tmp_path, open(grid.path).read().replace('base = "base.toml"',
                                                                   'base = "base.toml"\nmode = "one-at-a-time"'),
                         base=BASE.replace("19.0", "16.0")))
    # The base values are not repeated: 2 + 1 changes around the base.
    assert len(one.variants()) == 1 + 2 + 1


def test_monte_carlo_is_reproducible_from_its_seed_and_keeps_its_bounds(tmp_path):
    text = """\
        base = "base.toml"
        mode = "monte-carlo"
        samples = 400
        seed = 7
        [[vary]]
        key = "concrete.C"
        distribution = "normal"
        mean = 0.44
        sd = 0.05
        low = 0.40
        [[vary]]
        key = "heat.concrete.placing_temperature"
        distribution = "uniform"
        low = 10.0
        high = 30.0
        """
    first = st.Study(write(tmp_path, text)).variants()
    again = st.Study(write(tmp_path, text)).variants()
    other = st.Study(write(tmp_path, text.replace("seed = 7", "seed = 8"))).variants()
    assert first == again and first != other and len(first) == 401
    c = [v["concrete.C"] for v in first[1:]]
    assert min(c) >= 0.40 and abs(sum(c) / len(c) - 0.46) < 0.01  # a normal cut at 0.4 has a higher mean
    t = [v["heat.concrete.placing_temperature"] for v in first[1:]]
    assert 10.0 <= min(t) and max(t) <= 30.0


@pytest.mark.parametrize("text, says", [
    ('base = "base.toml"\nsamples = "x"\n[[vary]]\nkey = "concrete.C"\nvalues = [1.0]\n',
     "line 2: samples is str 'x': it must be int"),
    ('base = "base.toml"\n[[vary]]\nkey = "concrete.C"\nvalues = [1.0]\n[[vary]]\nkey = "concrete.D"\nvalues = [1.0]\n',
     'line 6: [[vary]] 2, key "concrete.D" is not in the base description'),
    ('base = "base.toml"\n[[vary]]\nkey = "concrete.C"\nvalus = [1.0]\n',
     "line 4: [[vary]] 1, valus is not a key of [[vary]]"),
    ('base = "base.toml"\nmode = "random"\n[[vary]]\nkey = "concrete.C"\nvalues = [1.0]\n',
     'line 2: mode is "random"'),
    ('base = "base.toml"\n[[vary]]\nkey = ["bars[0].diameter", "bars[1].diameter"]\nvalues = [1.0]\n',
     "line 3: [[vary]] 1, key names keys whose base values differ: bars[0].diameter = 19, bars[1].diameter = 16"),
    ('base = "base.toml"\n[[vary]]\nkey = "concrete.C"\nvalues = [1.0]\n[[vary]]\nkey = "concrete.C"\nvalues = [2.0]\n',
     'line 6: [[vary]] 2, key "concrete.C" is varied twice'),
    ('base = "base.toml"\n[[vary]]\nkey = "name"\nvalues = [1.0]\n',
     "line 3: [[vary]] 1, key \"name\" holds 'wall' in the base description: only numbers are varied"),
    ('base = "base.toml"\nmode = "monte-carlo"\nsamples = 5\n[[vary]]\nkey = "concrete.C"\n'
     'distribution = "normal"\nmean = 0.4\nsd = -1.0\n', "line 8: [[vary]] 1, sd must be above 0"),
    ('base = "nowhere.toml"\n[[vary]]\nkey = "concrete.C"\nvalues = [1.0]\n', "line 1: base names"),
    ('base = "base.toml"\nbatch = 0\n[[vary]]\nkey = "concrete.C"\nvalues = [1.0]\n', "line 2: batch must be 1 or more"),
])
def test_errors_name_the_file_the_line_and_the_key(tmp_path, text, says):
    path = write(tmp_path, text)
    with pytest.raises(st.StudyError) as error:
        st.Study(path)
    assert str(error.value).startswith(path + ", line ")
    assert says in str(error.value)


def test_batch_size_from_the_command_line_the_study_or_the_study_size(tmp_path):
    text = 'base = "base.toml"\n[[vary]]\nkey = "concrete.C"\nvalues = [1.0]\n'
    study = st.Study(write(tmp_path, text))
    assert [st.batch_size(study, None, n) for n in (1, 19, 400, 401, 10001)] == [1, 3, 50, 50, 50]
    assert st.batch_size(study, "7", 10001) == 7
    assert st.batch_size(st.Study(write(tmp_path, "batch = 20\n" + text)), None, 10001) == 20
    assert st.batch_size(st.Study(write(tmp_path, "batch = 20\n" + text)), 5, 10001) == 5
    for wrong in ("0", "x", "2.5"):
        with pytest.raises(st.StudyError, match=f"batch={wrong}: the variants a batch must be a whole number"):
            st.batch_size(study, wrong, 10)


def test_wilson_interval():
    low, high = st.wilson_interval(5, 10)
    assert math.isclose(low, 0.2366, abs_tol=1e-4) and math.isclose(high, 0.7634, abs_tol=1e-4)
    assert st.wilson_interval(0, 20)[0] == 0.0


def test_the_base_description_is_found_from_the_study_file_wherever_it_is_run(tmp_path, monkeypatch):
    (tmp_path / "studies").mkdir()
    path = write(tmp_path / "studies", """\
        base = "base.toml"
        [[vary]]
        key = "concrete.C"
        values = [0.4]
        """)
    monkeypatch.chdir(tmp_path)
    study = st.Study(os.path.join("studies", "study.toml"))
    assert study.base_path == str(tmp_path / "studies" / "base.toml") and study.path == path
    assert study.allowable_width is None  # each variant keeps its own limits


def test_the_tornado_charts_first_crack_age_index_and_width(tmp_path):
    import study_figures
    study = st.Study(write(tmp_path, """\
        base = "base.toml"
        mode = "one-at-a-time"
        [[vary]]
        key = "concrete.C"
        values = [0.40, 0.50]
        """))
    columns = {"variant": "", "concrete.C": 0.0, "first_crack_age_d": "", "lowest_index": 0.0,
               "largest_width_mm": 0.0, "judge_value": 1.0, "allowable_width_mm": 0.2}
    rows = [dict(columns, variant="0", **{"concrete.C": "0.44", "first_crack_age_d": "3.5", "lowest_index": "0.9",
                                          "largest_width_mm": "0.2"}),
            dict(columns, variant="1", **{"concrete.C": "0.4", "first_crack_age_d": "3.0", "lowest_index": "0.9",
                                          "largest_width_mm": "0.3"}),
            dict(columns, variant="2", **{"concrete.C": "0.5", "first_crack_age_d": "", "lowest_index": "1.1",
                                          "largest_width_mm": "0.0"})]
    captured = {}
    real_savefig = study_figures.plt.Figure.savefig

    def keep(fig, out, **kw):
        captured["labels"] = [ax.get_xlabel() for ax in fig.axes]
        captured["first"] = [(p.get_x(), p.get_width()) for p in fig.axes[0].patches]
        return real_savefig(fig, out, **kw)
    study_figures.plt.Figure.savefig = keep
    try:
        study_figures.draw(study, rows, str(tmp_path))
    finally:
        study_figures.plt.Figure.savefig = real_savefig
    assert captured["labels"] == ["first crack age (days)", "lowest crack index", "largest crack width (mm)"]
    # The variant that does not crack has no first crack age: the span is that of the others.
    assert captured["first"] == [(3.0, 0.5)]
    assert (tmp_path / "study.png").stat().st_size > 1000
