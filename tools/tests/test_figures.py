"""The figures of whole jobs, checked through what matplotlib holds: lines, collections, limits, labels."""

import math

import pytest

from conftest import end_to_end_job

matplotlib = pytest.importorskip("matplotlib")
matplotlib.use("Agg")


def lines(ax, gid):
    return [line for line in ax.get_lines() if line.get_gid() == gid]


def collections(ax, gid):
    return [c for c in ax.collections if c.get_gid() == gid]


def positive_finite(values):
    return [v for v in values if math.isfinite(v) and v > 0.0]


@pytest.fixture
def wall(plot, wall_job):
    job = plot.load_job(str(wall_job))
    return job, plot.make_figures(job)


def test_every_figure_is_written_in_every_format(plot, wall_job, tmp_path, capsys):
    for fmt in ("png", "svg", "pdf"):
        out = tmp_path / f"plots-{fmt}"
        assert plot.main([str(wall_job), "--out", str(out), "--format", fmt]) == 0
        for name in plot.FIGURE_NAMES:
            written = out / f"{name}.{fmt}"
            assert written.stat().st_size > 1000, written
    printed = capsys.readouterr().out.split()
    assert len(printed) == 3 * len(plot.FIGURE_NAMES)


def test_every_figure_has_a_title_with_the_job_name_labels_with_units_and_a_legend(wall):
    job, figures = wall
    for name, fig in figures.items():
        ax = fig.axes[0]
        assert ax.get_title().startswith("wall: "), name
        assert "(" in ax.get_xlabel() and "(" in ax.get_ylabel(), name
        has_key = any(a.get_legend() is not None for a in fig.axes) or len(fig.axes) > 1
        assert has_key, name


def test_crack_index_draws_the_lowest_index_at_judgement_the_targets_and_the_first_crack(wall):
    job, figures = wall
    ax = figures["crack-index"].axes[0]
    elements = lines(ax, "element")
    assert len(elements) == job.mesh.NELX
    # Compressive and unbounded indexes are left out.
    for line in elements:
        assert all(math.isnan(y) or y > 0.0 for y in line.get_ydata())
    # The bold line is the lowest index at judgement of the elements not cracked before the step: at
    # 3.5 days the index that cracked the wall (0.960, below the judge value), not the state after it.
    (lowest,) = lines(ax, "lowest")
    cracked_before, expected = set(), []
    for record, (_, cracked) in zip(job.hcj, job.hcr):
        expected.append(min(positive_finite(v for e, v in enumerate(record[1:], 1) if e not in cracked_before),
                            default=math.nan))
        cracked_before.update(cracked)
    assert lowest.get_ydata() == pytest.approx(expected, nan_ok=True)
    assert (lowest.get_xdata()[10], lowest.get_ydata()[10]) == (3.5, pytest.approx(0.9604801))
    assert lowest.get_linewidth() > 2 * elements[0].get_linewidth()
    (judge,) = lines(ax, "judge")
    assert list(judge.get_ydata()) == [1.0, 1.0]
    assert sorted(line.get_ydata()[0] for line in lines(ax, "target")) == [1.0, 1.4, 1.85]
    (first,) = lines(ax, "first-crack")
    assert list(first.get_xdata()) == [3.5, 3.5]
    assert ax.get_ylim() == (0.0, 3.0)
    assert ax.get_xlim() == (0.0, 28.0)


def test_stress_strength_puts_the_largest_stress_beside_ft(wall):
    job, figures = wall
    ax = figures["stress-strength"].axes[0]
    (largest,) = lines(ax, "largest-stress")
    assert largest.get_ydata() == pytest.approx([max(r[1:]) for r in job.hst])
    (ft,) = lines(ax, "ft")
    assert list(ft.get_xdata())[:3] == [0.25, 0.5, 0.75]
    assert list(ft.get_ydata())[:3] == [0.64, 0.88, 1.06]
    assert len(ft.get_xdata()) == len(job.hst) == 27
    assert not lines(ax, "ft-judge")  # the judge value is 1: ft is the limit itself
    assert "N/mm²" in ax.get_ylabel()


def test_crack_width_draws_every_bar_and_the_largest_in_mm(wall):
    job, figures = wall
    ax = figures["crack-width"].axes[0]
    assert len(lines(ax, "bar")) == job.deck.NSTEEL == 30
    (largest,) = lines(ax, "largest-width")
    assert largest.get_ydata() == pytest.approx([max(r[2:]) for r in job.hwd])
    assert max(largest.get_ydata()) == pytest.approx(0.1839001)
    assert "(mm)" in ax.get_ylabel()


def test_band_height_shows_the_section_height(wall):
    job, figures = wall
    ax = figures["band-height"].axes[0]
    (height,) = lines(ax, "section-height")
    assert list(height.get_ydata()) == [3000.0, 3000.0]
    (band,) = lines(ax, "band-height")
    assert band.get_ydata()[-1] == 3000.0 and band.get_ydata()[0] == 0.0


def test_bar_stress_draws_every_bar_coloured_by_face(plot, wall):
    job, figures = wall
    ax = figures["bar-stress"].axes[0]
    bars = lines(ax, "bar")
    assert len(bars) == 30
    assert [line.get_ydata()[-1] for line in bars] == [r for r in job.hss[-1][1:]]
    # Bars 1 and 2 stand at the same height on opposite faces: different colours; bars of one face
    # differ in shade only.
    assert bars[0].get_color() != bars[1].get_color()
    assert [t.get_text() for t in ax.get_legend().get_texts()] == [
        "bars at the left face, X = 0 mm (15), darker higher up",
        "bars at the right face, X = 400 mm (15), darker higher up"]


def test_few_bars_get_a_legend_entry_each(plot, tmp_path):
    job = plot.load_job(str(end_to_end_job(tmp_path, "restart")))
    ax = plot.plot_bar_stress(job).axes[0]
    assert len(lines(ax, "bar")) == job.deck.NSTEEL == 4
    assert [t.get_text() for t in ax.get_legend().get_texts()][0] == "bar 1 at (50, 300) mm"


def test_section_in_proportion_with_a_linear_scale_filled_cracked_elements_and_bars(wall):
    job, figures = wall
    fig = figures["section"]
    ax = fig.axes[0]
    assert ax.get_aspect() == 1.0
    assert ax.get_xlabel() == "X (mm)" and ax.get_ylabel() == "Y, height (mm)"
    # The section fills its panel: no margin around the 400 x 3000 mm wall, the panel as tall as it is.
    assert ax.get_xlim() == (0.0, 400.0) and ax.get_ylim() == (0.0, 3000.0)
    width, height = fig.get_size_inches()
    assert height > 6.0 and width < 6.0
    (elements,) = collections(ax, "elements")
    assert len(elements.get_paths()) == job.mesh.NELX
    # A linear scale with the judge value in the middle.
    assert type(elements.norm).__name__ == "Normalize"
    assert (elements.norm.vmin, elements.norm.vmax) == (0.0, 2.0 * job.deck.judge)
    last = job.hci[-1][1:]
    cracked = job.hcr[-1][1]
    elements.update_scalarmappable()  # as drawing does
    colours = elements.get_facecolors()
    tension = next(e for e, v in enumerate(last) if 0.0 < v and e + 1 not in cracked)
    assert tuple(colours[tension]) == pytest.approx(tuple(elements.cmap(elements.norm(last[tension]))))
    compressed = next(e for e, v in enumerate(last) if v < 0.0 and e + 1 not in cracked)
    assert tuple(colours[compressed][:3]) == pytest.approx((0.93, 0.93, 0.93))
    (filled,) = collections(ax, "cracked")
    assert len(filled.get_paths()) == len(cracked) == 162 and filled.get_hatch() == "///"
    assert filled.get_paths()[0].vertices[:4] == pytest.approx(elements.get_paths()[cracked[0] - 1].vertices[:4])
    edges = lines(ax, "band-edge")
    assert sorted(line.get_ydata()[0] for line in edges) == [0.0, 3000.0]
    (bars,) = collections(ax, "bars")
    assert len(bars.get_offsets()) == 30
    assert tuple(bars.get_offsets()[0]) == (60.0, 100.0)
    assert tuple(bars.get_facecolors()[0]) != tuple(bars.get_facecolors()[1])  # opposite faces
    sizes = list(bars.get_sizes())
    widths = job.hwd[-1][2:]
    assert sizes.index(max(sizes)) == widths.index(max(widths))


def test_a_job_without_bars_draws_no_bar_series(plot, tmp_path):
    job = plot.load_job(str(end_to_end_job(tmp_path, "no_bars")))
    figures = plot.make_figures(job)
    for name in ("crack-width", "bar-stress"):
        ax = figures[name].axes[0]
        assert not lines(ax, "bar")
        assert [t.get_text() for t in ax.texts if t.get_gid() == "no-data"] == ["this job has no bars"]
    assert not collections(figures["section"].axes[0], "bars")


def test_a_run_without_steps_ignores_an_earlier_runs_results(plot, tmp_path, capsys):
    # One temperature block: the run writes no result record, and .hst holds an earlier run's lines.
    folder = end_to_end_job(tmp_path, "single_block")
    assert plot.main([str(folder), "--out", str(tmp_path / "plots")]) == 0
    job = plot.load_job(str(folder))
    assert job.hst == [] and job.listing == []
    ax = plot.plot_crack_index(job).axes[0]
    assert [t.get_text() for t in ax.texts if t.get_gid() == "no-data"] == ["no step in the results"]


def test_temperature_figures_draw_the_extremes_and_the_ambient_of_heat_toml(plot, tmp_path):
    from test_parsing import make_job
    folder = make_job(tmp_path / "job")
    ax = plot.make_figures(plot.load_job(str(folder)))["temperature"].axes[0]
    assert not lines(ax, "ambient")  # no heat.toml: no ambient line
    # The two inner nodes warm by 5 C a block (ages 0, 0.5, 1.0); the boundary nodes stay at 20 C.
    (hottest,) = lines(ax, "hottest")
    (coolest,) = lines(ax, "coolest-boundary")
    assert list(hottest.get_ydata()) == [20.0, 25.0, 30.0] and list(coolest.get_ydata()) == [20.0] * 3
    (largest,) = lines(ax, "largest-difference")
    assert (largest.get_xdata()[0], largest.get_ydata()[0]) == (1.0, 10.0)
    (folder / "heat.toml").write_text(
        "[ambient]\ntemperature = [[0.0, 20.0], [0.5, 10.0]]\n"
        "[[boundary]]\nside = \"top\"\nh = 8.0\nambient = { mean = 15.0, amplitude = 6.0, peak = 0.25 }\n")
    job = plot.load_job(str(folder))
    figures = plot.make_figures(job)
    ax = figures["temperature"].axes[0]
    (ambient,) = lines(ax, "ambient")
    ages, values = list(ambient.get_xdata()), list(ambient.get_ydata())
    assert values[ages.index(0.25)] == pytest.approx(15.0) and values[-1] == 10.0  # linear, then constant
    (own,) = lines(ax, "boundary-ambient")
    assert own.get_ydata()[list(own.get_xdata()).index(0.25)] == pytest.approx(21.0)  # the cycle's peak
    assert own.get_label() == "ambient of boundary 1 (top)"
    # The map shows the hottest moment: 1.0 days.
    assert "1 days" in figures["temperature-map"].axes[0].get_title()
