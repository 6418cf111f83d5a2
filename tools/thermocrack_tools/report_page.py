"""The job report: one self-contained HTML page (figures inline as SVG, no external reference) with the
verdict first, the inputs in brief, the figures and the notes; and the summary row beside it as
summary.json and summary.csv.
"""

import csv
import io
import json
import math
import os
import re

from .figures import FIGURE_NAMES, make_figures
from .summary import INDEX_TARGETS, bar_face, cracking_probability, csv_cell, summarise
from .verdict_checks import annotate_inputs, provenance_rows, steel_checks, verdict_words

TEMPLATE_FOLDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "templates")

CAPTIONS = {
    "temperature": "Temperatures by age: the hottest node, the coolest node on the section's boundary, the "
                   "surroundings from heat.toml when the job has one, and the difference between the first two.",
    "hydration": "Heat of hydration by age: what an adiabatic test from the placing temperature would show, the "
                 "hottest node, and the degree of hydration of the hottest node and of the young concrete (mean) "
                 "(for an adiabatic curve, the share of its final rise).",
    "temperature-map": "The section's temperature field at the hottest moment, with the mesh.",
    "crack-index": "Crack index ft / stress by age: the lowest of the elements not yet cracked, as judged before "
                   "any crack of the step moves the stresses (bold), every element after its step (faint), "
                   "the guideline targets and the judge value.",
    "probability": "Cracking probability by age from the lowest crack index, with the probabilities of the "
                   "guideline targets.",
    "stress-strength": "Stress of the critical element (the one with the lowest crack index) against the "
                       "tensile strength ft.",
    "crack-width": "Crack width at every bar by age (coloured by face, darker higher up), the largest in "
                   "black, and the allowable width.",
    "band-height": "Height of the cracked band by age against the height of the section.",
    "bar-stress": "Stress of every bar by age, coloured by face, darker higher up.",
    "section": "The section at the last step, in true proportion: uncracked elements coloured by crack index "
               "(linear scale, the judge value in the middle), cracked elements hatched, the cracked band's "
               "edges, the bars coloured by face and sized by their crack width.",
}


def svg_of(fig, prefix):
    """The figure as an inline <svg> element whose ids all begin with prefix (several SVGs share one page)."""
    import matplotlib
    with matplotlib.rc_context({"svg.fonttype": "none", "svg.hashsalt": prefix}):
        out = io.StringIO()
        fig.savefig(out, format="svg", dpi=150)
    text = out.getvalue()
    text = text[text.index("<svg"):]
    # A gid names what a line shows and may repeat (every element's line): the repeats get a number.
    seen = {}

    def unique(m):
        name = m.group(1)
        seen[name] = seen.get(name, 0) + 1
        return f'id="{prefix}-{name}"' if seen[name] == 1 else f'id="{prefix}-{name}-{seen[name]}"'
    text = re.sub(r'\bid="([^"]+)"', unique, text)
    text = re.sub(r'url\(#([^)]+)\)', lambda m: f'url(#{prefix}-{m.group(1)})', text)
    text = re.sub(r'xlink:href="#([^"]+)"', lambda m: f'xlink:href="#{prefix}-{m.group(1)}"', text)
    # Scale with the page: the drawing keeps its proportions within the width it is given.
    text = re.sub(r'<svg([^>]*?) width="([\d.]+)pt" height="([\d.]+)pt"',
                  lambda m: f'<svg{m.group(1)} class="figure" role="img" aria-label="{prefix}"'
                            f' style="max-width: {m.group(2)}pt"', text, count=1)
    return text


def number(value, digits=2, unit=""):
    if value is None or (isinstance(value, float) and not math.isfinite(value)):
        return "–"
    text = f"{value:.{digits}f}"
    return f"{text} {unit}".strip()


def verdict(job, s):
    """The verdict as a headline, its tone (bad, warn, good) and sentences."""
    lines = []
    if s.cracked:
        x, y = job.mesh.centre(s.first_crack_element)
        headline = f"The section cracks at {s.first_crack_age_d:g} days."
        lines.append(f"The first crack forms at {s.first_crack_age_d:g} days in element {s.first_crack_element} "
                     f"(centre X = {x:g} mm, height Y = {y:g} mm). By {s.last_age_d:g} days "
                     f"{s.cracked_elements} of {s.elements} elements are cracked and the cracked band runs from "
                     f"height {s.band_bottom_mm:g} to {s.band_top_mm:g} mm of the section's {s.section_height_mm:g} mm.")
    else:
        headline = f"No element cracks up to {s.last_age_d:g} days." if s.steps else "The run has no step."
    lines.append(f"Status {s.status}: {s.status_meaning}." if s.status is not None else
                 f"The run wrote no status: it did not end normally; the figures show the steps it wrote.")
    if s.lowest_index_element is not None:
        moment = "at judgement" if s.lowest_index_at_judgement else "after its step (no .hcj file: rerun the job)"
        lines.append(f"The lowest crack index is {s.lowest_index:.2f} ({moment}), at {s.lowest_index_age_d:g} days "
                     f"in element {s.lowest_index_element} (X = {s.lowest_index_x_mm:g} mm, height "
                     f"{s.lowest_index_y_mm:g} mm): a cracking probability of {s.cracking_probability_pct:.0f} %. "
                     + target_words(s.lowest_index))
    else:
        lines.append("No element is ever in tension: there is no crack index and no cracking probability.")
    if job.deck.NSTEEL and s.largest_width_bar:
        bar = job.deck.bars[s.largest_width_bar - 1]
        within = "within" if s.width_within_allowable else "above"
        lines.append(f"The largest crack width is {s.largest_width_mm:.3f} mm at bar {s.largest_width_bar} "
                     f"({s.largest_width_face}, height {bar.SY:g} mm) at {s.largest_width_age_d:g} days: {within} "
                     f"the allowable width of {s.allowable_width_mm:g} mm.")
    elif job.deck.NSTEEL:
        lines.append(f"No bar has a crack width (allowable {s.allowable_width_mm:g} mm).")
    else:
        lines.append("The job has no bars: no crack width is worked out.")
    if math.isfinite(s.largest_temperature_c):
        lines.append(f"The hottest node reaches {s.largest_temperature_c:.1f} C at {s.largest_temperature_age_d:g} "
                     f"days; the largest difference between the hottest node and the coolest boundary node is "
                     f"{s.largest_difference_c:.1f} C, at {s.largest_difference_age_d:g} days.")
    if not s.cracked and (s.lowest_index_element is None or s.lowest_index >= 1.40):
        tone = "good"
    elif s.cracked and not s.width_within_allowable:
        tone = "bad"
    else:
        tone = "warn"
    return headline, tone, lines


def target_words(index):
    for value, meaning in INDEX_TARGETS:
        if index >= value:
            return f"It meets the guideline target {value:.2f} ({meaning})."
    return "It is below every guideline target (1.0 allows cracks and limits their widths): cracking is expected."


def inputs(job):
    """Rows (what, value) of the inputs in brief."""
    mesh, deck, m = job.mesh, job.deck, job.deck.material
    width, height = max(mesh.X) - min(mesh.X), mesh.YTOP - mesh.YBOT
    rows = [
        ("Section", f"{width:g} mm wide (X {min(mesh.X):g} to {max(mesh.X):g}) and {height:g} mm high "
                    f"(Y {mesh.YBOT:g} to {mesh.YTOP:g})"),
        ("Mesh", f"{mesh.NELX} four-node elements, {mesh.NX} nodes"),
    ]
    if deck.bars:
        areas = {}
        for j, bar in enumerate(deck.bars, start=1):
            areas.setdefault((bar.AREA, bar_face(job, j)), []).append(j)
        groups = []
        for (area, face), bars in areas.items():
            diameter = math.sqrt(4.0 * area / math.pi)
            groups.append(f"{len(bars)} at the {face}: {area:g} mm² each (diameter {diameter:.1f} mm), "
                          f"heights {min(deck.bars[j - 1].SY for j in bars):g} to "
                          f"{max(deck.bars[j - 1].SY for j in bars):g} mm")
        total = sum(b.AREA for b in deck.bars)
        rows.append(("Bars", f"{deck.NSTEEL} bars, {total:g} mm² in all; " + "; ".join(groups)))
    else:
        rows.append(("Bars", "none"))
    if m:
        rows += [
            ("Concrete strength", f"fc(t) = {m['Sigma-91day']:g} t / ({m['Parameter-A']:g} + {m['Parameter-B']:g} t) "
                                  f"N/mm²; ft = {m['Parameter-C']:g} √fc; Ec = {m['fc -> Ec']:g} √fc "
                                  "(× 0.73333 up to day 3, rising to 1.0 at day 5)"),
            ("Thermal expansion", f"concrete {m['alpha-c']:g} 1/C, bars 1e-05 1/C"),
            ("Steel", f"Es = {m['Es']:g} N/mm²"),
            ("Restraint factors", f"Rn = {m['Rn']:g} (axial), Rm1 = {m['Rm1']:g}, Rm2 = {m['Rm2']:g} (curvature)"),
            ("Crack spread lengths", f"lcb = {m['lcb']:g}, lcu = {m['lcu']:g} mm of concrete; "
                                     f"lsb = {m['lsb']:g}, lsu = {m['lsu']:g} mm of bar"),
        ]
    rows.append(("Judge value", f"{deck.judge:g}: an element cracks when its crack index falls below it"))
    if job.temperatures:
        rows.append(("Temperature history", f"{len(job.temperatures)} blocks from {job.temperatures[0].Age:g} to "
                                            f"{job.temperatures[-1].Age:g} days"))
    return rows


def heat_rows(job):
    """Rows (table, key = value lines) of heat.toml, or [] when the job has none."""
    if job.heat is None:
        return []

    def show(value):
        if isinstance(value, dict):
            return "{" + ", ".join(f"{k} = {show(v)}" for k, v in value.items()) + "}"
        if isinstance(value, list):
            return "[" + ", ".join(show(v) for v in value) + "]"
        if isinstance(value, str):
            return json.dumps(value)
        if isinstance(value, bool):
            return "true" if value else "false"
        return f"{value:g}" if isinstance(value, float) else str(value)

    rows = []
    for key, value in job.heat.table.items():
        if isinstance(value, dict):
            rows.append((f"[{key}]", "; ".join(f"{k} = {show(v)}" for k, v in value.items())))
        elif isinstance(value, list) and value and all(isinstance(v, dict) for v in value):
            for k, entry in enumerate(value, start=1):
                rows.append((f"[[{key}]] {k}", "; ".join(f"{a} = {show(b)}" for a, b in entry.items())))
        else:
            rows.append((key, show(value)))
    return rows


def render(job, allowable_width):
    """The page's HTML text and the summary."""
    import jinja2
    s = summarise(job, allowable_width)
    headline, tone, lines = verdict(job, s)
    checks = steel_checks(job, s)
    flags = verdict_words(checks)
    lines += flags
    if flags and tone == "good":
        tone = "warn"
    figures = make_figures(job, allowable_width)
    shown = []
    for name in FIGURE_NAMES:
        shown.append({"name": name, "svg": svg_of(figures[name], name), "caption": CAPTIONS[name]})
    environment = jinja2.Environment(loader=jinja2.FileSystemLoader(TEMPLATE_FOLDER),
                                     autoescape=jinja2.select_autoescape(["html", "j2"]),
                                     undefined=jinja2.StrictUndefined)
    environment.filters["g"] = lambda v: f"{v:g}"
    targets = [(v, meaning, 100.0 * cracking_probability(v)) for v, meaning in INDEX_TARGETS]
    html = environment.get_template("report.html.j2").render(
        job=job, s=s, headline=headline, tone=tone, lines=lines, inputs=annotate_inputs(inputs(job), checks.derived),
        heat=heat_rows(job), figures=shown, targets=targets, number=number, folder=job.folder, checks=checks,
        provenance=provenance_rows(checks.derived))
    return html, s, checks


def write_summary(folder, s, extra=None):
    """summary.json and summary.csv (one row, a header line first) in folder, with the extra columns
    after the summary's; gives their names."""
    row = s.row()
    row.update(extra or {})
    clean = {k: (None if isinstance(v, float) and not math.isfinite(v) else v) for k, v in row.items()}
    json_path = os.path.join(folder, "summary.json")
    with open(json_path, "w", encoding="utf-8") as f:
        json.dump(clean, f, indent=2)
        f.write("\n")
    csv_path = os.path.join(folder, "summary.csv")
    with open(csv_path, "w", encoding="utf-8", newline="") as f:
        writer = csv.DictWriter(f, fieldnames=list(row))
        writer.writeheader()
        writer.writerow({k: csv_cell(v) for k, v in clean.items()})
    return json_path, csv_path


def write_report(job, out, allowable_width):
    """Writes the report page to out and the summary files beside it; gives the three names."""
    html, s, checks = render(job, allowable_width)
    folder = os.path.dirname(out) or "."
    os.makedirs(folder, exist_ok=True)
    with open(out, "w", encoding="utf-8") as f:
        f.write(html)
    return (out,) + write_summary(folder, s, checks.columns())
