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

from .converge import read_converge
from .figures import FIGURE_NAMES, make_figures
from .limits import face_differences, resolve_limits
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
    "probability": "Cracking probability by age from the lowest crack index of the uncracked section, up to "
                   "the first crack (cracked from then on), with the probabilities of the guideline targets.",
    "stress-strength": "Stress of the critical element (the one with the lowest crack index) against the "
                       "tensile strength ft.",
    "crack-width": "Crack width at every bar by age (coloured by face, darker higher up or further right), the largest in "
                   "black, and the allowable width.",
    "band-height": "Height of the cracked band by age against the height of the section.",
    "bar-stress": "Stress of every bar by age, coloured by face, darker higher up (or further right along a bottom or top face).",
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
        within = "within" if s.temperature_within_limit else "above"
        lines.append(f"The hottest node reaches {s.largest_temperature_c:.1f} C at {s.largest_temperature_age_d:g} "
                     f"days: {within} the limit of {s.temperature_limit_c:g} C against delayed ettringite formation.")
    if math.isfinite(s.core_surface_difference_c):
        within = "within" if s.difference_within_limit else "above"
        lines.append(f"The largest core-to-surface difference (the middle of a face against the hottest point "
                     f"behind it) is {s.core_surface_difference_c:.1f} C, at the {s.core_surface_face} face at "
                     f"{s.core_surface_difference_age_d:g} days: {within} the limit of {s.difference_limit_c:g} C.")
    elif math.isfinite(s.largest_temperature_c):
        lines.append("No face of the section is a surface to the air (every face is a joint or insulated): "
                     "no core-to-surface difference is measured.")
    if not s.cracked and (s.lowest_index_element is None or s.lowest_index >= 1.40):
        tone = "good"
    elif s.cracked and not s.width_within_allowable:
        tone = "bad"
    else:
        tone = "warn"
    if s.temperature_within_limit is False:
        tone = "bad"
    elif s.difference_within_limit is False and tone == "good":
        tone = "warn"
    return headline, tone, lines


def limit_rows(s):
    """Rows of the limits checked: (check, value, limit, verdict, source)."""
    def verdict_of(ok):
        return "–" if ok is None else ("within" if ok else "above the limit")
    return [
        ("Largest concrete temperature", number(s.largest_temperature_c, 1, "C"), f"{s.temperature_limit_c:g} C",
         verdict_of(s.temperature_within_limit), s.temperature_limit_source),
        ("Core-to-surface difference" + (f" ({s.core_surface_face} face)" if s.core_surface_face else ""),
         number(s.core_surface_difference_c, 1, "C"), f"{s.difference_limit_c:g} C",
         verdict_of(s.difference_within_limit), s.difference_limit_source),
        ("Largest crack width", number(s.largest_width_mm, 3, "mm"), f"{s.allowable_width_mm:g} mm",
         verdict_of(None if not math.isfinite(s.largest_width_mm) else s.width_within_allowable),
         s.allowable_width_source),
    ]


def difference_rows(job):
    """Per face of the section: (face, what was measured or why not)."""
    rows = []
    for side, best, why in face_differences(job):
        if best is None:
            rows.append((side, f"not measured: {why}" if why else "not measured"))
        else:
            d, age, surface, core = best
            rows.append((side, f"{d:.1f} C at {age:g} days: node {surface} (X = {job.mesh.X[surface - 1]:g}, "
                               f"Y = {job.mesh.Y[surface - 1]:g} mm) against node {core} (X = "
                               f"{job.mesh.X[core - 1]:g}, Y = {job.mesh.Y[core - 1]:g} mm)"))
    return rows


def convergence(job):
    """What the report shows of converge.json: (result or None, why not shown)."""
    return read_converge(job.folder)


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
        rows.append(("Temperature history", f"{len(job.temperatures)} blocks: "
                                            + age_runs([b.Age for b in job.temperatures]) + " days"))
    return rows


def age_runs(ages, short=8):
    """A list of ages in words: listed when short, else as runs of one step: "start to end every step"."""
    ages = [float(a) for a in ages]
    if len(ages) <= short:
        return ", ".join(f"{a:g}" for a in ages)
    def same(step, other):
        return abs(step - other) <= 2e-4 + 1e-3 * abs(other)
    parts, i, n = [], 0, len(ages)
    while i < n:
        j = i + 1
        if j < n:
            step = ages[j] - ages[i]
            while j + 1 < n and same(ages[j + 1] - ages[j], step):
                j += 1
        if j < n and j - i >= 2:
            parts.append(f"{ages[i]:.4g} to {ages[j]:.4g} every {step:.4g}")
            i = j + 1
        else:
            parts.append(f"{ages[i]:.4g}")
            i += 1
    return f"{len(ages)} ages: " + "; ".join(parts)


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
        if key == "output" and isinstance(value, dict) and isinstance(value.get("ages"), list):
            rows.append(("[output]", "ages = " + age_runs(value["ages"]) + " days"))
        elif isinstance(value, dict):
            rows.append((f"[{key}]", "; ".join(f"{k} = {show(v)}" for k, v in value.items())))
        elif isinstance(value, list) and value and all(isinstance(v, dict) for v in value):
            for k, entry in enumerate(value, start=1):
                rows.append((f"[[{key}]] {k}", "; ".join(f"{a} = {show(b)}" for a, b in entry.items())))
        else:
            rows.append((key, show(value)))
    return rows


def render(job, limits):
    """The page's HTML text and the summary."""
    import jinja2
    s = summarise(job, limits=limits)
    headline, tone, lines = verdict(job, s)
    checks = steel_checks(job, s)
    flags = verdict_words(checks)
    lines += flags
    if flags and tone == "good":
        tone = "warn"
    converged, stale = convergence(job)
    if converged is not None:
        lines.append(converge_words(converged))
        if not converged["converged"] and tone == "good":
            tone = "warn"
    figures = make_figures(job, limits.allowable_width_mm)
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
        provenance=provenance_rows(checks.derived), limit_checks=limit_rows(s), differences=difference_rows(job),
        converged=converged, stale=stale)
    return html, s, checks


def converge_words(c):
    """A sentence of the convergence check: the spreads, and a warning when one is above its tolerance."""
    sp = c["spreads"]
    finest = c["levels"][-1]
    parts = []
    for q, what, unit in (("first_crack_age_d", "first crack age", " days"), ("lowest_index", "lowest index", ""),
                          ("largest_width_mm", "largest width", " mm")):
        v = sp[q]
        spread = "undefined (not every level has one)" if v["spread"] is None else f"{v['spread']:.3g}{unit}"
        parts.append(f"{what} {spread} (tolerance {v['tolerance']:g}{unit})")
    text = (f"With every step halved {c['halvings']} times (to {finest['steps']} steps) the answer spreads by: "
            + "; ".join(parts) + f"; status {', '.join(str(x) for x in sp['status']['values'])}.")
    if not c["converged"]:
        text += " Warning: the answer hangs on the steps; use finer output ages (see the convergence table)."
    return text


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


def write_report(job, out, limits=None):
    """Writes the report page to out and the summary files beside it; gives the three names. limits
    (a Limits) default to the job's own."""
    html, s, checks = render(job, limits or resolve_limits(job.folder))
    folder = os.path.dirname(out) or "."
    os.makedirs(folder, exist_ok=True)
    with open(out, "w", encoding="utf-8") as f:
        f.write(html)
    return (out,) + write_summary(folder, s, checks.columns())
