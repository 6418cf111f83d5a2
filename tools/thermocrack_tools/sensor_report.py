"""The sensors report: one self-contained HTML page (figures inline as SVG) with, per sensor, the
measured temperatures against the computed ones (before and after a calibration, and the forecast
beyond the last reading), the error table, the fitted keys with their standard errors and warnings,
and the cracking verdict with and without the calibration.
"""

import csv
import math
import os

from .report_page import TEMPLATE_FOLDER, number, svg_of


def sensor_figure(sensor, measured, curves, last_reading_age):
    """measured: (ages, values); curves: [(label, ages, values, style)] on one age axis."""
    import matplotlib.pyplot as plt
    fig, ax = plt.subplots(figsize=(7.0, 3.2))
    for label, ages, values, style in curves:
        ax.plot(ages, values, label=label, **style)
    ax.plot(measured[0], measured[1], "o", ms=2.5, color="black", label="measured", zorder=3)
    if last_reading_age is not None:
        ax.axvline(last_reading_age, color="0.6", lw=0.8, ls=":")
        # The readings and the days after them that decide the verdict: three times the readings'
        # span, at least a week, at most the forecast's end.
        end = max(max(a[-1] for _, a, _, _ in curves if len(a)), last_reading_age)
        ax.set_xlim(0.0, min(end, max(3.0 * last_reading_age, 7.0)))
    title = sensor.name + (f" ({sensor.label})" if sensor.label else "")
    ax.set_title(f"{title}: X = {sensor.x:g} mm, Y = {sensor.y:g} mm, element {sensor.element}", fontsize=9)
    ax.set_xlabel("age (days since placing)")
    ax.set_ylabel("temperature (C)")
    ax.grid(True, lw=0.3)
    ax.legend(fontsize=7, loc="best")
    fig.tight_layout()
    return fig


def error_rows(stats_before, stats_after=None):
    rows = []
    pairs = list(zip(stats_before.per_sensor + [stats_before.all],
                     (stats_after.per_sensor + [stats_after.all]) if stats_after else [None] * (len(stats_before.per_sensor) + 1)))
    for b, a in pairs:
        rows.append({"sensor": b["sensor"], "count": b["count"],
                     "before": [number(b["rms"], 2), number(b["largest"], 2), number(b["bias"], 2)],
                     "after": [number(a["rms"], 2), number(a["largest"], 2), number(a["bias"], 2)] if a else None})
    return rows


def write_error_table(path, stats_before, stats_after=None):
    """errors.csv: per sensor and over all readings, RMS, largest and bias of computed - measured (C)."""
    with open(path, "w", encoding="utf-8", newline="") as f:
        w = csv.writer(f)
        head = ["sensor", "readings", "rms_c", "largest_c", "bias_c"]
        if stats_after:
            head = head[:2] + [h.replace("_c", "_before_c") for h in head[2:]] + [h.replace("_c", "_after_c") for h in head[2:]]
        w.writerow(head)
        for j, b in enumerate(stats_before.per_sensor + [stats_before.all]):
            row = [b["sensor"], b["count"], b["rms"], b["largest"], b["bias"]]
            if stats_after:
                a = (stats_after.per_sensor + [stats_after.all])[j]
                row += [a["rms"], a["largest"], a["bias"]]
            w.writerow([f"{v:.4f}" if isinstance(v, float) and math.isfinite(v) else ("" if isinstance(v, float) else v)
                        for v in row])


def verdict_rows(original, calibrated):
    """Key values of the two summaries side by side."""
    def crack(s):
        return f"at {s.first_crack_age_d:g} days" if s.cracked else f"no crack up to {s.last_age_d:g} days"

    def lowest(s):
        if s.lowest_index_element is None:
            return "–"
        return f"{s.lowest_index:.2f} at {s.lowest_index_age_d:g} days (element {s.lowest_index_element})"
    rows = [("Cracks", crack(original), crack(calibrated)),
            ("Status", f"{original.status}: {original.status_meaning}", f"{calibrated.status}: {calibrated.status_meaning}"),
            ("Lowest crack index", lowest(original), lowest(calibrated)),
            ("Cracking probability", number(original.cracking_probability_pct, 0, "%"),
             number(calibrated.cracking_probability_pct, 0, "%")),
            ("Largest crack width", number(original.largest_width_mm, 3, "mm"), number(calibrated.largest_width_mm, 3, "mm")),
            ("Largest temperature", number(original.largest_temperature_c, 1, "C"),
             number(calibrated.largest_temperature_c, 1, "C"))]
    return rows


def render(context):
    import jinja2
    environment = jinja2.Environment(loader=jinja2.FileSystemLoader(TEMPLATE_FOLDER),
                                     autoescape=jinja2.select_autoescape(["html", "j2"]),
                                     undefined=jinja2.StrictUndefined)
    environment.filters["g"] = lambda v: f"{v:g}"
    return environment.get_template("sensors.html.j2").render(number=number, **context)


def figure_svgs(figures):
    import matplotlib.pyplot as plt
    out = []
    for k, (sensor, fig) in enumerate(figures):
        out.append({"name": sensor.name, "svg": svg_of(fig, f"sensor{k + 1}")})
        plt.close(fig)
    return out


def write_page(path, html):
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(html)
