"""The study report: one self-contained HTML page (figures inline as SVG, no script, no external
reference) beside study.csv. It says how often the variants crack, with the 95 % confidence interval
of that fraction (Wilson's score interval) beside the guideline probability of the base job; how the
lowest crack index, the first crack age, the largest crack width and the largest temperature spread;
and which inputs drive them: for Monte Carlo and grid studies the partial rank correlation
coefficients of every input with each of the four (see sensitivity.py), for one-at-a-time studies
tornado charts around the base job.
"""

import math
import os
import re

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

import sensitivity  # noqa: E402
from study import StudyError, _tools, read_table, wilson_interval  # noqa: E402

TEMPLATES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "templates")

# The study's outputs: column, name, unit, and what a blank cell means for the ranks (a variant
# never in tension has no index and one that does not crack no crack age: both rank beyond all others).
OUTPUTS = (
    ("lowest_index", "lowest crack index", "", math.inf),
    ("first_crack_age_d", "first crack age", "days", math.inf),
    ("largest_width_mm", "largest crack width", "mm", math.nan),
    ("largest_temperature_c", "largest temperature", "C", math.nan),
)


def _number(text, blank=math.nan):
    if text in (None, ""):
        return blank
    try:
        return float(text)
    except ValueError:
        return math.nan


def outputs_of(rows):
    """{column: [values]} of the rows, a blank cell as the output's blank value."""
    return {column: [_number(r[column], blank) for r in rows] for column, _, _, blank in OUTPUTS}


def influence(study, rows):
    """{column: {input: (PRCC, low, high) or None}} over the rows (the study's variants, not the base);
    an output with NaN in it (a job without bars has no width) gets None for every input."""
    inputs = {key: [float(r[key]) for r in rows] for key in study.keys()}
    out = {}
    for column, values in outputs_of(rows).items():
        if any(math.isnan(v) for v in values):
            out[column] = {key: None for key in inputs}
        else:
            out[column] = sensitivity.prcc(inputs, values)
    return out


def signed(value):
    return f"{value:+.2f}".replace("-", "−")


def influence_words(name, ranked):
    """A sentence of the ranking of the inputs for one output."""
    shown = [f"{key} ({signed(m[0])})" for key, m, yes in ranked if yes]
    none = [key for key, m, yes in ranked if m is not None and not yes]
    words = []
    if shown:
        words.append(f"The {name} depends on " + _join(shown) + (", in this order" if len(shown) > 1 else ""))
    else:
        words.append(f"No input shows an influence on the {name}")
    if none:
        words.append(_join(none) + (" shows" if len(none) == 1 else " show") +
                     " none that these variants can tell (the 95 % interval holds 0)")
    undefined = [key for key, m, yes in ranked if m is None]
    if undefined and len(undefined) == len(ranked):
        return f"The {name} does not vary over the variants (or cannot be ranked): no ranking."
    return "; ".join(words) + "."


def _join(items):
    return items[0] if len(items) == 1 else ", ".join(items[:-1]) + " and " + items[-1]


def _histograms(study, base, rows):
    fig, axes = plt.subplots(2, 2, figsize=(10, 6.4), constrained_layout=True)
    for ax, (column, name, unit, _) in zip(axes.flat, OUTPUTS):
        values = [_number(r[column]) for r in rows]
        finite = [v for v in values if math.isfinite(v)]
        label = f"{name} ({unit})" if unit else name
        if finite:
            ax.hist(finite, bins=min(40, max(5, len(finite) // 8)), color="0.6",
                    label=f"{len(finite)} variants")
        missing = len(values) - len(finite)
        if missing and column == "first_crack_age_d":
            ax.plot([], [], " ", label=f"{missing} do not crack")
        elif missing:
            ax.plot([], [], " ", label=f"{missing} without a value")
        b = _number(base[column])
        if math.isfinite(b):
            ax.axvline(b, color="k", linewidth=1.2, label="base job")
        if column == "lowest_index":
            ax.axvline(_number(base["judge_value"]), color="C3", linestyle="--", linewidth=1, label="judge value")
        if column == "largest_width_mm":
            allowable = study.allowable_width or _number(base.get("allowable_width_mm"))
            if math.isfinite(allowable):
                ax.axvline(allowable, color="C3", linestyle="--", linewidth=1, label="allowable")
        ax.set_xlabel(label)
        ax.set_ylabel("variants")
        ax.grid(alpha=0.3)
        ax.legend(fontsize=8)
    return fig


def _influence_figure(measures, order):
    fig, axes = plt.subplots(1, len(OUTPUTS), figsize=(12, 1.4 + 0.45 * len(order)), sharey=True,
                             constrained_layout=True)
    for ax, (column, name, _, _) in zip(axes, OUTPUTS):
        for place, key in enumerate(order):
            m = measures[column][key]
            if m is None:
                continue
            r, low, high = m
            ax.barh(place, r, color="C3" if r < 0 else "C0", alpha=0.75)
            ax.errorbar([r], [place], xerr=[[r - low], [high - r]], color="k", capsize=3, linewidth=1)
        ax.axvline(0.0, color="k", linewidth=0.8)
        ax.set_xlim(-1.05, 1.05)
        ax.set_title(name, fontsize=10)
        ax.set_xlabel("PRCC (95 % interval)")
        ax.grid(axis="x", alpha=0.3)
    axes[0].set_yticks(range(len(order)), order)
    axes[0].invert_yaxis()
    return fig


def tornado_spans(study, rows, column):
    """{key: (lowest, highest)} of column over the variants that move only that key from the base
    (rows[0]), the base job included."""
    base = rows[0]
    keys = study.keys()
    spans = {}
    for key in keys:
        ys = [_number(r[column]) for r in rows
              if all(_number(r[k]) == _number(base[k]) for k in keys if k != key)]
        ys = [y for y in ys if math.isfinite(y)]
        spans[key] = (min(ys), max(ys)) if ys else None
    return spans


def _tornado_figure(study, rows):
    keys = study.keys()
    fig, axes = plt.subplots(1, len(OUTPUTS), figsize=(12, 1.4 + 0.5 * len(keys)), constrained_layout=True)
    for ax, (column, name, unit, _) in zip(axes, OUTPUTS):
        spans = tornado_spans(study, rows, column)
        order = sorted(keys, key=lambda k: (spans[k][1] - spans[k][0]) if spans[k] else -1.0)
        for place, key in enumerate(order):
            if spans[key]:
                low, high = spans[key]
                ax.barh(place, max(high - low, 1e-9), left=low, color="C0", alpha=0.7)
        ax.set_yticks(range(len(order)), order if ax is axes[0] else [""] * len(order))
        centre = _number(rows[0][column])
        if math.isfinite(centre):
            ax.axvline(centre, color="k", linewidth=1, label="base job")
            ax.legend(fontsize=8)
        ax.set_xlabel(f"{name} ({unit})" if unit else name)
        ax.grid(axis="x", alpha=0.3)
    return fig


def inputs_rows(study):
    rows = []
    for v in study.vary:
        keys = ", ".join(v["paths"])
        if study.mode == "monte-carlo":
            d = v["distribution"]
            if d == "normal":
                spread = f"normal, mean {v['mean']:g}, sd {v['sd']:g}"
            elif d == "lognormal":
                spread = f"lognormal, median {v['median']:g}, sigma {v['sigma']:g} (of the logarithm)"
            else:
                spread = f"uniform from {v['low']:g} to {v['high']:g}"
            if d != "uniform" and (math.isfinite(v["low"]) or math.isfinite(v["high"])):
                spread += f", kept within {v['low']:g} to {v['high']:g}"
            rows.append((v["key"], keys, f"{v['base']:g}", spread))
        else:
            rows.append((v["key"], keys, f"{v['base']:g}", ", ".join(f"{x:g}" for x in v["values"])))
    return rows


def render(study, rows):
    """The page's HTML text from the study and the rows of study.csv (variant 0, the base job, first)."""
    import jinja2
    _tools()
    from thermocrack_tools.report_page import svg_of
    from thermocrack_tools.summary import INDEX_TARGETS, cracking_probability
    if not rows or rows[0]["variant"] != "0":
        raise StudyError("study.csv has no base job (variant 0) in its first row")
    base, variants = rows[0], rows[1:] or rows[:1]
    n = len(variants)
    cracked = sum(1 for r in variants if r["cracked"] == "True")
    low, high = wilson_interval(cracked, n)
    wide = sum(1 for r in variants if r.get("width_within_allowable") == "False")
    wide_low, wide_high = wilson_interval(wide, n)
    base_index = _number(base["lowest_index"], math.inf)
    base_probability = 100.0 * cracking_probability(base_index)

    figures = [("distributions", _histograms(study, base, variants),
                "The spread over the variants (the base job not counted) of the lowest crack index at judgement, "
                "the age of the first crack, the largest crack width at a bar and the hottest node temperature, "
                "with the base job's value, the judge value and the allowable width.")]
    ranking, measures = [], None
    if study.mode in ("monte-carlo", "grid"):
        measures = influence(study, variants)
        for column, name, _, _ in OUTPUTS:
            ranked = sensitivity.ranking(measures[column])
            ranking.append({"name": name, "words": influence_words(name, ranked), "ranked": ranked})
        order = [key for key, _, _ in sensitivity.ranking(measures["lowest_index"])]
        figures.append(("influence", _influence_figure(measures, order),
                        "Partial rank correlation coefficient of every input with each output, with its 95 % "
                        "interval (Fisher's z); inputs in the order of their influence on the lowest crack index. "
                        "A negative coefficient: the output falls as the input rises."))
    else:
        spans = {column: tornado_spans(study, rows, column) for column, *_ in OUTPUTS}
        for column, name, unit, _ in OUTPUTS:
            by_span = sorted(((k, s) for k, s in spans[column].items() if s), key=lambda ks: ks[1][0] - ks[1][1])
            ranking.append({"name": name, "tornado": [(k, s[0], s[1], s[1] - s[0]) for k, s in by_span],
                            "unit": unit})
        figures.append(("tornado", _tornado_figure(study, rows),
                        "One input at a time around the base job: for each input the span of each output over "
                        "its values, the others at the base; the widest span on top."))
    shown = []
    for name, fig, caption in figures:
        # Without the drawing's metadata (its date): the same study gives the same page.
        svg = re.sub(r"<metadata>.*?</metadata>\s*", "", svg_of(fig, name), count=1, flags=re.S)
        shown.append({"name": name, "svg": svg, "caption": caption})
        plt.close(fig)

    environment = jinja2.Environment(loader=jinja2.FileSystemLoader(TEMPLATES),
                                     autoescape=jinja2.select_autoescape(["html", "j2"]),
                                     undefined=jinja2.StrictUndefined)
    fraction = cracked / n if n else math.nan
    if fraction >= 0.5:
        tone = "bad"
    elif high > 0.05:
        tone = "warn"
    else:
        tone = "good"
    return environment.get_template("study.html.j2").render(
        study=study, name=os.path.splitext(os.path.basename(study.path))[0], n=n, cracked=cracked,
        fraction=100.0 * fraction, low=100.0 * low, high=100.0 * high, base=base, base_index=base_index,
        base_probability=base_probability, tone=tone, wide=wide, wide_fraction=100.0 * wide / n if n else math.nan,
        wide_low=100.0 * wide_low, wide_high=100.0 * wide_high, ranking=ranking, measures=measures, outputs=OUTPUTS,
        inputs=inputs_rows(study), figures=shown, targets=INDEX_TARGETS, signed=signed,
        spread=_spread(variants))


def _spread(rows):
    """Rows (name, unit, lowest, median, highest, count) of the four outputs over the variants."""
    out = []
    for column, name, unit, _ in OUTPUTS:
        values = sorted(v for v in (_number(r[column]) for r in rows) if math.isfinite(v))
        if values:
            m = len(values)
            median = values[m // 2] if m % 2 else 0.5 * (values[m // 2 - 1] + values[m // 2])
            out.append((name, unit, values[0], median, values[-1], m))
        else:
            out.append((name, unit, None, None, None, 0))
    return out


def write_report(study, table_path, out):
    html = render(study, read_table(table_path))
    with open(out + ".partial", "w", encoding="utf-8") as f:
        f.write(html)
    os.replace(out + ".partial", out)
