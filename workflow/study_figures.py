"""The study's figures, from study.csv.

grid: the lowest crack index and the largest crack width against each varied key, every variant a
point, the mean over the other keys a line. one-at-a-time: a tornado chart, for each key the span of
the lowest crack index and of the largest width over its values, around the base job. monte-carlo:
the fraction of variants that crack, with its 95 % confidence interval (Wilson), beside the
cracking probability that the guideline relation gives for the base job's lowest index, and the
spread of the lowest index.
"""

import math
import os

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

from study import wilson_interval  # noqa: E402

INDEX = "lowest_index"
WIDTH = "largest_width_mm"
FIRST = "first_crack_age_d"


def _number(text):
    try:
        return float(text)
    except (TypeError, ValueError):
        return math.nan


def _grid(study, rows, out):
    keys = study.keys()
    variants = [r for r in rows if int(r["variant"]) > 0]
    fig, axes = plt.subplots(2, len(keys), figsize=(4.2 * len(keys), 6.5), squeeze=False, constrained_layout=True)
    for c, key in enumerate(keys):
        for r, (column, label) in enumerate(((INDEX, "lowest crack index"), (WIDTH, "largest crack width (mm)"))):
            ax = axes[r][c]
            xs = [_number(v[key]) for v in variants]
            ys = [_number(v[column]) for v in variants]
            ax.plot(xs, ys, "o", color="0.6", markersize=4, label="variants")
            levels = sorted(set(xs))
            means = []
            for x in levels:
                at = [y for xx, y in zip(xs, ys) if xx == x and not math.isnan(y)]
                means.append(sum(at) / len(at) if at else math.nan)
            ax.plot(levels, means, "-", color="C0", linewidth=2, label="mean")
            if column == INDEX:
                ax.axhline(_number(rows[0]["judge_value"]), color="C3", linestyle="--",
                           linewidth=1, label="judge value")
            else:
                allowable = study.allowable_width or _number(rows[0].get("allowable_width_mm"))
                ax.axhline(allowable, color="C3", linestyle="--", linewidth=1, label="allowable")
            ax.set_xlabel(key)
            if c == 0:
                ax.set_ylabel(label)
            ax.grid(alpha=0.3)
        axes[0][c].legend(fontsize=8)
        axes[1][c].legend(fontsize=8)
    fig.suptitle(f"{os.path.basename(study.path)}: {len(variants)} variants")
    fig.savefig(out, dpi=110)
    plt.close(fig)


def _tornado(study, rows, out):
    # The lowest index is flat once the base job cracks: the first crack age and the largest width
    # show what moves then. A variant that does not crack has no first crack age.
    base = rows[0]
    keys = study.keys()
    fig, axes = plt.subplots(1, 3, figsize=(15, 1.2 + 0.7 * len(keys)), constrained_layout=True)
    for ax, (column, label) in zip(axes, ((FIRST, "first crack age (days)"), (INDEX, "lowest crack index"),
                                          (WIDTH, "largest crack width (mm)"))):
        centre = _number(base[column])
        spans = []
        for key in keys:
            ys = [_number(r[column]) for r in rows
                  if all(_number(r[k]) == _number(base[k]) for k in keys if k != key)]
            ys = [y for y in ys if not math.isnan(y)]
            spans.append((min(ys), max(ys)) if ys else (centre, centre))
        order = sorted(range(len(keys)), key=lambda i: spans[i][1] - spans[i][0])
        for place, i in enumerate(order):
            low, high = spans[i]
            ax.barh(place, high - low, left=low, color="C0", alpha=0.7)
        ax.set_yticks(range(len(keys)), [keys[i] for i in order])
        if math.isnan(centre):
            ax.plot([], [], linestyle="none", label="base job: none")
        else:
            ax.axvline(centre, color="k", linewidth=1, label="base job")
        ax.set_xlabel(label)
        ax.legend(fontsize=8)
        ax.grid(axis="x", alpha=0.3)
    fig.suptitle(f"{os.path.basename(study.path)}: one key at a time around the base job")
    fig.savefig(out, dpi=110)
    plt.close(fig)


def _monte_carlo(study, rows, out):
    variants = [r for r in rows if int(r["variant"]) > 0]
    cracked = sum(1 for r in variants if r["cracked"] == "True")
    n = len(variants)
    low, high = wilson_interval(cracked, n)
    guideline = _number(rows[0]["cracking_probability_pct"]) / 100.0
    fig, (left, right) = plt.subplots(1, 2, figsize=(11, 4.2), constrained_layout=True)
    fraction = cracked / n if n else math.nan
    left.bar([0], [fraction], color="C0", alpha=0.7, label=f"variants that crack: {cracked} of {n}")
    left.errorbar([0], [fraction], yerr=[[fraction - low], [high - fraction]], color="k", capsize=8,
                  label=f"95 % interval {100 * low:.0f} to {100 * high:.0f} %")
    left.bar([1], [guideline], color="C1", alpha=0.7,
             label=f"guideline relation at the base index: {100 * guideline:.0f} %")
    left.set_xticks([0, 1], ["Monte Carlo", "base job, P(I)"])
    left.set_ylim(0, 1)
    left.set_ylabel("probability of cracking")
    left.legend(fontsize=8, loc="upper center")
    indexes = [_number(r[INDEX]) for r in variants]
    indexes = [i for i in indexes if not math.isnan(i)]
    right.hist(indexes, bins=min(30, max(5, len(indexes) // 5)), color="0.6")
    right.axvline(_number(rows[0]["judge_value"]), color="C3", linestyle="--", label="judge value")
    right.axvline(_number(rows[0][INDEX]), color="k", label="base job")
    right.set_xlabel("lowest crack index")
    right.set_ylabel("variants")
    right.legend(fontsize=8)
    fig.suptitle(f"{os.path.basename(study.path)}: {n} draws, seed {study.seed}")
    fig.savefig(out, dpi=110)
    plt.close(fig)


def draw(study, rows, folder):
    out = os.path.join(folder, "study.png")
    {"grid": _grid, "one-at-a-time": _tornado, "monte-carlo": _monte_carlo}[study.mode](study, rows, out)
