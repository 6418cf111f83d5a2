"""The figures of a thermocrack job, shared by thermocrack-plot (files) and thermocrack-report (inline SVG).

Every figure is a matplotlib Figure titled with the job name, ages in days, lengths in mm, stresses in
N/mm2, temperatures in C. Lines carry a gid naming what they show, so that tests can find them.
"""

import math

from .summary import (DEFAULT_ALLOWABLE_WIDTH, INDEX_TARGETS, bar_face, cracking_probability, judged_indexes,
                      lowest_judged_index, temperature_extremes)

FIGURE_NAMES = ("temperature", "hydration", "temperature-map", "crack-index", "probability", "stress-strength", "crack-width",
                "band-height", "bar-stress", "section")

TARGET_STYLE = {1.85: ":", 1.40: "-.", 1.0: "--"}
TARGET_COLOUR = "tab:green"
FIRST_CRACK_COLOUR = "tab:orange"
# Bars by the face they lie at; a third colour for bars in the middle.
FACE_COLOURS = ("tab:blue", "tab:red", "tab:purple", "tab:brown", "tab:olive", "tab:cyan")
# Faces also differ in line style, so that equal histories at opposite faces stay visible.
FACE_STYLES = ("-", (0, (4, 2)), ":", "-.", "-", (0, (4, 2)))


def finite(values):
    return [v for v in values if math.isfinite(v)]


def tension_index(value):
    """A crack index as drawn: compressive (negative) and unbounded values are left out."""
    return value if math.isfinite(value) and value > 0.0 else math.nan


def new_figure(size=(8.0, 4.6)):
    from matplotlib.figure import Figure
    fig = Figure(figsize=size, layout="constrained")
    return fig, fig.add_subplot()


def age_axis(ax, job, title):
    ax.set_title(f"{job.name}: {title}")
    ax.set_xlabel("age (days)")
    ax.grid(True, color="0.9", linewidth=0.6)
    ax.set_axisbelow(True)


def finish_age_axis(ax, ages):
    """The age axis from 0 to the last age (set after drawing, which would otherwise widen it)."""
    last = max(finite(ages), default=0.0)
    ax.set_xlim(0.0, last if last > 0.0 else 1.0)


def no_data(ax, text):
    ax.text(0.5, 0.5, text, transform=ax.transAxes, ha="center", va="center", color="0.4", gid="no-data")


def mark_first_crack(ax, job, with_text):
    """The first crack's age as a line; without a crack, with_text puts "no element cracked" in the
    legend (free text would sit behind it)."""
    age = job.first_crack_age
    if age is None:
        if with_text:
            ax.plot([], [], linestyle="none", gid="no-crack", label="no element cracked")
        return
    ax.axvline(age, color=FIRST_CRACK_COLOUR, linestyle=":", linewidth=1.5, gid="first-crack",
               label=f"first crack at {age:g} days")


def lowest_by_step(job):
    """Per step the lowest index at judgement of the elements not cracked before (NaN when none)."""
    return [(age, min(kept)[0] if kept else math.nan) for age, kept in judged_indexes(job)]


def index_words(job):
    return "at judgement" if job.hcj is not None else "after the step (no .hcj: run an up-to-date thermocrack)"


# ---------------------------------------------------------------------------------------------------
# Temperatures

def ambient_lines(job, ages):
    """(label, gid, temperatures) of the surroundings in heat.toml at the given ages."""
    heat = job.heat
    if heat is None:
        return []
    lines = []
    if heat.ambient is not None:
        lines.append(("ambient", "ambient", [heat.ambient(a) for a in ages]))
    for label, function in heat.boundary_ambients:
        lines.append((f"ambient of {label}", "boundary-ambient", [function(a) for a in ages]))
    return lines


def plot_temperature(job):
    fig, ax = new_figure()
    age_axis(ax, job, "temperatures")
    rows = temperature_extremes(job)
    ages = [r[0] for r in rows]
    ax.plot(ages, [r[1] for r in rows], color="tab:red", linewidth=2.0, gid="hottest", label="hottest node")
    ax.plot(ages, [r[2] for r in rows], color="tab:blue", linewidth=2.0, gid="coolest-boundary",
            label="coolest boundary node")
    fine = []
    if ages:
        last = max(ages)
        fine = [last * k / 400.0 for k in range(401)]
    for k, (label, gid, values) in enumerate(ambient_lines(job, fine)):
        ax.plot(fine, values, color="0.45", linewidth=1.0, linestyle=("-", "--", ":", "-.")[k % 4], gid=gid,
                label=label)
    difference = [r[1] - r[2] for r in rows]
    ax.plot(ages, difference, color="tab:purple", linewidth=1.4, linestyle="--", gid="difference",
            label="difference hottest - coolest boundary")
    if rows:
        k = max(range(len(rows)), key=lambda i: difference[i])
        ax.plot([ages[k]], [difference[k]], "o", color="tab:purple", gid="largest-difference",
                label=f"largest difference {difference[k]:.1f} C at {ages[k]:g} days")
    else:
        no_data(ax, "no temperature block")
    finish_age_axis(ax, ages)
    ax.set_ylabel("temperature (C)")
    ax.legend(loc="upper right", fontsize="small")
    return fig


def plot_hydration(job):
    """What an adiabatic test from the placing temperature would show and the hottest node (left axis);
    the degree of hydration of the hottest node and the section's mean (right axis)."""
    fig, ax = new_figure()
    age_axis(ax, job, "heat of hydration")
    rows = job.hydration or []
    ages = [r["age_d"] for r in rows]
    if rows:
        ax.plot(ages, [r["adiabatic_C"] for r in rows], color="tab:orange", linewidth=2.0, gid="adiabatic",
                label="adiabatic test from the placing temperature")
        ax.plot(ages, [r["hottest_C"] for r in rows], color="tab:red", linewidth=2.0, gid="hottest",
                label="hottest node")
        right = ax.twinx()
        right.plot(ages, [r["hottest_degree_of_hydration"] for r in rows], color="tab:green", linewidth=1.4,
                   linestyle="--", gid="hottest-degree", label="degree of hydration, hottest node")
        right.plot(ages, [r["mean_degree_of_hydration"] for r in rows], color="tab:olive", linewidth=1.4,
                   linestyle=":", gid="mean-degree", label="degree of hydration, section mean")
        right.set_ylim(0.0, 1.0)
        right.set_ylabel("degree of hydration")
        handles = ax.get_legend_handles_labels()[0] + right.get_legend_handles_labels()[0]
        ax.legend(handles, [h.get_label() for h in handles], loc="lower right", fontsize="small")
    else:
        no_data(ax, "no NAME-hydration.csv: run thermocrack heat")
    finish_age_axis(ax, ages)
    ax.set_ylabel("temperature (C)")
    return fig


def section_axes(job, colour_bar_label, key_width=0.0):
    """A figure holding the section in true proportion, as large as the figure allows, with room for a
    colour bar (and a key panel of key_width inches beside it when asked)."""
    from matplotlib.figure import Figure
    mesh = job.mesh
    width = max(mesh.X) - min(mesh.X) or 1.0
    height = mesh.YTOP - mesh.YBOT or 1.0
    # The drawing takes up to 6 x 6.5 inches in the section's own proportion.
    scale = min(6.0 / width, 6.5 / height)
    draw_w, draw_h = max(width * scale, 0.9), max(height * scale, 1.6)
    fig = Figure(figsize=(draw_w + 2.0 + key_width, draw_h + 1.1), layout="constrained")
    if key_width > 0.0:
        ax, key = fig.subplots(1, 2, gridspec_kw={"width_ratios": [draw_w + 1.6, key_width]})
        key.axis("off")
        key.set_gid("legend-panel")
    else:
        ax, key = fig.add_subplot(), None
    ax.set_aspect("equal")
    ax.set_xlabel("X (mm)")
    ax.set_ylabel("Y, height (mm)")
    ax.set_xlim(min(mesh.X), max(mesh.X))
    ax.set_ylim(mesh.YBOT, mesh.YTOP)
    ax.margins(0.0)
    return fig, ax, key


def quads_as_triangles(mesh):
    triangles = []
    for n1, n2, n3, n4 in mesh.elements:
        triangles.append((n1 - 1, n2 - 1, n3 - 1))
        triangles.append((n1 - 1, n3 - 1, n4 - 1))
    return triangles


def plot_temperature_map(job):
    from matplotlib.collections import PolyCollection
    mesh = job.mesh
    blocks = job.temperatures
    fig, ax, _ = section_axes(job, "temperature (C)")
    if not blocks:
        no_data(ax, "no temperature block")
        ax.set_title(f"{job.name}: temperatures")
        return fig
    hottest = max(blocks, key=lambda b: max(b.T))
    ax.set_title(f"{job.name}: temperature at {hottest.Age:g} days\n(the hottest moment, {max(hottest.T):.1f} C)",
                 fontsize="medium")
    field = ax.tripcolor(mesh.X, mesh.Y, quads_as_triangles(mesh), hottest.T, shading="gouraud", cmap="inferno",
                         gid="temperature-field")
    field.set_rasterized(True)  # a smooth field: as an image it is a small part of a vector file
    ax.add_collection(PolyCollection([mesh.corners(e) for e in range(1, mesh.NELX + 1)], facecolors="none",
                                     edgecolors="white", linewidths=0.3, alpha=0.6, gid="mesh"))
    fig.colorbar(field, ax=ax, shrink=0.9, label="temperature (C)")
    return fig


# ---------------------------------------------------------------------------------------------------
# Crack index and probability

def draw_targets(ax, judge):
    for value, meaning in INDEX_TARGETS:
        ax.axhline(value, color=TARGET_COLOUR, linestyle=TARGET_STYLE[value], linewidth=1.1, gid="target",
                   label=f"target {value:.2f}: {meaning}")
    ax.axhline(judge, color="tab:red", linestyle="-", linewidth=1.0, alpha=0.8, gid="judge",
               label=f"judge value {judge:g} (the program cracks below)")


def plot_crack_index(job):
    fig, ax = new_figure((8.0, 5.0))
    age_axis(ax, job, f"crack index ft / stress ({'at judgement' if job.hcj is not None else 'after each step'})")
    judge = job.deck.judge
    ages = [r[0] for r in job.hci]
    if not job.hci:
        no_data(ax, "no step in the results")
    for e in range(1, job.mesh.NELX + 1):
        ax.plot(ages, [tension_index(r[e]) for r in job.hci], color="0.6", linewidth=0.5, alpha=0.3,
                gid="element", label="each element after the step" if e == 1 else "_nolegend_")
    lowest = lowest_by_step(job)
    ax.plot([a for a, _ in lowest], [v for _, v in lowest], color="tab:blue", linewidth=2.4, marker="o",
            markersize=3, gid="lowest", label=f"lowest of the uncracked elements, {index_words(job)}")
    draw_targets(ax, judge)
    mark_first_crack(ax, job, with_text=True)
    best = lowest_judged_index(job)
    if best is not None:
        v, age, e = best
        ax.plot([age], [v], "o", markersize=9, markerfacecolor="none", markeredgecolor="black",
                markeredgewidth=1.5, gid="lowest-point", label=f"lowest {v:.2f} at {age:g} days, element {e}")
    ax.set_ylim(0.0, max(3.0, 1.6 * judge))
    finish_age_axis(ax, ages)
    ax.set_ylabel("crack index ft / stress (-)")
    ax.legend(loc="upper right", fontsize="small")
    return fig


def plot_probability(job):
    fig, ax = new_figure()
    age_axis(ax, job, "cracking probability from the lowest crack index")
    lowest = lowest_by_step(job)
    ages = [a for a, _ in lowest]
    first = job.first_crack_age
    # Once an element has cracked, the index of the others no longer says whether the section cracks:
    # the curve stops at the first crack, and the section is cracked (100 %) from then on.
    uncracked = [(a, v) for a, v in lowest if first is None or a <= first]
    probability = [100.0 * cracking_probability(v) if math.isfinite(v) else math.nan for _, v in uncracked]
    ax.plot([a for a, _ in uncracked], probability, color="tab:blue", linewidth=2.2, marker="o", markersize=3,
            gid="probability", label="P(lowest index of the uncracked section)")
    if first is not None and ages:
        ax.plot([first, max(ages)], [100.0, 100.0], color="tab:red", linewidth=2.2, gid="cracked",
                label=f"cracked from {first:g} days on")
    for value, meaning in INDEX_TARGETS:
        p = 100.0 * cracking_probability(value)
        ax.axhline(p, color=TARGET_COLOUR, linestyle=TARGET_STYLE[value], linewidth=1.1, gid="target",
                   label=f"{p:.0f} % at index {value:.2f} ({meaning})")
    if not lowest:
        no_data(ax, "no step in the results")
    mark_first_crack(ax, job, with_text=False)
    ax.set_ylim(0.0, 105.0)
    finish_age_axis(ax, ages)
    ax.set_ylabel("cracking probability (%)")
    # Between the targets (up to 50 %) and the cracked line (100 %), right of the usual first crack.
    ax.legend(loc="center right", bbox_to_anchor=(1.0, 0.72), fontsize="small")
    return fig


# ---------------------------------------------------------------------------------------------------
# Stress, widths, band, bars

def critical_element(job):
    best = lowest_judged_index(job)
    return best[2] if best is not None else None


def plot_stress_strength(job):
    fig, ax = new_figure()
    e = critical_element(job)
    age_axis(ax, job, f"stress and tensile strength, element {e}" if e else "stress and tensile strength")
    ages = [r[0] for r in job.hst]
    largest = [max(finite(r[1:]), default=math.nan) for r in job.hst]
    ax.plot(ages, largest, color="0.6", linewidth=1.0, gid="largest-stress", label="largest stress of any element")
    if e is not None:
        ax.plot(ages, [r[e] for r in job.hst], color="tab:blue", linewidth=2.2, gid="critical-stress",
                label=f"element {e} (lowest crack index), after the step")
        if job.hcj is not None:
            judged = [s.ft / r[e] if r[e] != 0.0 else math.nan for s, r in zip(job.listing, job.hcj)]
            ax.plot(ages, judged, color="tab:blue", linestyle="none", marker="o", markersize=4, gid="critical-judged",
                    label=f"element {e} at judgement")
    ax.plot([s.Age for s in job.listing], [s.ft for s in job.listing], color="tab:green", linewidth=2.0,
            gid="ft", label="tensile strength ft")
    judge = job.deck.judge
    if judge > 0.0 and judge != 1.0:
        ax.plot([s.Age for s in job.listing], [s.ft / judge for s in job.listing], color="tab:green",
                linestyle="--", linewidth=1.2, gid="ft-judge", label=f"ft / judge value {judge:g}")
    if not job.hst and not job.listing:
        no_data(ax, "no step in the results")
    mark_first_crack(ax, job, with_text=False)
    ax.axhline(0.0, color="0.3", linewidth=0.6, gid="zero")
    finish_age_axis(ax, ages + [s.Age for s in job.listing])
    ax.set_ylabel("stress (N/mm²), tension positive")
    ax.legend(loc="best", fontsize="small")
    return fig


def faces(job):
    """The bars grouped by face, in the order of their first bar: [(face, [bar numbers])]."""
    groups = {}
    for j in range(1, job.deck.NSTEEL + 1):
        groups.setdefault(bar_face(job, j), []).append(j)
    return list(groups.items())


def along_face(face):
    """Which way a face's bars are shaded: up a side face, to the right along a bottom or top face."""
    return "right" if face.startswith(("bottom", "top")) else "up"


def bar_colours(job):
    """A colour per bar (from 1): by face, lighter lower down (further left along a bottom or top
    face), darker higher up (further right)."""
    from matplotlib import colors
    result = {}
    for k, (face, bars) in enumerate(faces(job)):
        base = colors.to_rgb(FACE_COLOURS[k % len(FACE_COLOURS)])
        at = (lambda b: b.SX) if along_face(face) == "right" else (lambda b: b.SY)
        heights = [at(job.deck.bars[j - 1]) for j in bars]
        low, high = min(heights), max(heights)
        for j in bars:
            t = (at(job.deck.bars[j - 1]) - low) / (high - low) if high > low else 1.0
            mix = 0.55 * (1.0 - t)  # lowest bar mixed halfway with white
            result[j] = tuple(c + (1.0 - c) * mix for c in base)
    return result


def bar_styles(job):
    """A line style per bar (from 1), by face."""
    return {j: FACE_STYLES[k % len(FACE_STYLES)] for k, (_, bars) in enumerate(faces(job)) for j in bars}


def face_legend_handles(job):
    from matplotlib.lines import Line2D
    return [Line2D([], [], color=FACE_COLOURS[k % len(FACE_COLOURS)], linewidth=2.0,
                   linestyle=FACE_STYLES[k % len(FACE_STYLES)],
                   label=(f"bars at the {face} ({len(bars)}), " if face != "middle"
                          else f"bars in the middle ({len(bars)}), ")
                   + ("darker further right" if along_face(face) == "right" else "darker higher up"))
            for k, (face, bars) in enumerate(faces(job))]


def plot_crack_width(job, allowable_width=DEFAULT_ALLOWABLE_WIDTH):
    fig, ax = new_figure()
    age_axis(ax, job, "crack width at the bars")
    ages = [r[0] for r in job.hwd]
    NSTEEL = job.deck.NSTEEL
    if NSTEEL == 0:
        no_data(ax, "this job has no bars")
    elif not job.hwd:
        no_data(ax, "no step in the results")
    colours, styles = bar_colours(job), bar_styles(job)
    for j in range(1, NSTEEL + 1):
        ax.plot(ages, [r[1 + j] for r in job.hwd], color=colours[j], linestyle=styles[j], linewidth=0.9, gid="bar",
                label="_nolegend_")
    handles = face_legend_handles(job)
    if NSTEEL > 0:
        largest = [max(r[2:]) for r in job.hwd]
        handles.append(ax.plot(ages, largest, color="black", linewidth=2.2, gid="largest-width",
                               label="largest")[0])
        handles.append(ax.axhline(allowable_width, color="tab:red", linestyle="--", linewidth=1.4, gid="allowable",
                                  label=f"allowable width {allowable_width:g} mm"))
        mark_first_crack(ax, job, with_text=False)
        ax.legend(handles=handles + [line for line in ax.get_lines() if line.get_gid() == "first-crack"],
                  loc="upper left", fontsize="small")
        top = max(finite(largest) + [allowable_width])
        ax.set_ylim(0.0, 1.15 * top)
    else:
        ax.set_ylim(bottom=0.0)
    finish_age_axis(ax, ages)
    ax.set_ylabel("crack width (mm)")
    return fig


def plot_band_height(job):
    fig, ax = new_figure()
    age_axis(ax, job, "height of the cracked band")
    height = job.mesh.YTOP - job.mesh.YBOT
    ax.plot([r[0] for r in job.hdp], [r[1] for r in job.hdp], color="tab:red", linewidth=2.0, gid="band-height",
            label="cracked band height hmax - hmin")
    ax.axhline(height, color="0.2", linestyle="--", linewidth=1.2, gid="section-height",
               label=f"section height YTOP - YBOT = {height:g} mm")
    if not job.hdp:
        no_data(ax, "no step in the results")
    mark_first_crack(ax, job, with_text=False)
    ax.set_ylim(0.0, 1.1 * height if height > 0.0 else None)
    finish_age_axis(ax, [r[0] for r in job.hdp])
    ax.set_ylabel("height (mm)")
    ax.legend(loc="lower right", fontsize="small")
    return fig


def plot_bar_stress(job):
    fig, ax = new_figure()
    age_axis(ax, job, "bar stresses")
    NSTEEL = job.deck.NSTEEL
    ages = [r[0] for r in job.hss]
    if NSTEEL == 0:
        no_data(ax, "this job has no bars")
    elif not job.hss:
        no_data(ax, "no step in the results")
    colours, styles = bar_colours(job), bar_styles(job)
    few = NSTEEL <= 10
    for j, bar in enumerate(job.deck.bars, start=1):
        label = f"bar {j} at ({bar.SX:g}, {bar.SY:g}) mm" if few else "_nolegend_"
        ax.plot(ages, [r[j] for r in job.hss], color=colours[j], linestyle=styles[j], linewidth=1.0, gid="bar",
                label=label)
    ax.axhline(0.0, color="0.3", linewidth=0.6, gid="zero")
    mark_first_crack(ax, job, with_text=False)
    finish_age_axis(ax, ages)
    ax.set_ylabel("bar stress (N/mm²), tension positive")
    if NSTEEL > 1 and few:
        ax.legend(loc="best", fontsize="small")
    elif NSTEEL > 1:
        ax.legend(handles=face_legend_handles(job), loc="best", fontsize="small")
    return fig


# ---------------------------------------------------------------------------------------------------
# The section

NO_TENSION_COLOUR = "0.93"
CRACKED_COLOUR = "0.25"


def last_band(job):
    """The cracked band (hmin, hmax) of the last step, or None when no element is cracked then."""
    if not job.hcr or not job.hcr[-1][1] or not job.listing:
        return None
    step = job.listing[-1]
    if not (math.isfinite(step.hmax) and math.isfinite(step.hmin)):
        return None
    return step.hmin, step.hmax


def section_norm(judge):
    """A linear scale from 0 to twice the judge value: the judge value in the middle."""
    from matplotlib import colors
    return colors.Normalize(vmin=0.0, vmax=2.0 * judge if judge > 0.0 else 2.0)


def plot_section(job):
    import matplotlib
    from matplotlib.collections import PolyCollection
    from matplotlib.patches import Patch
    mesh = job.mesh
    fig, ax, key = section_axes(job, "crack index", key_width=2.6)
    age = job.hci[-1][0] if job.hci else None
    ax.set_title(f"{job.name}: section at {age:g} days" if age is not None else f"{job.name}: section",
                 fontsize="medium")

    # Uncracked elements under tension by their crack index; compressed ones have none.
    judge = job.deck.judge
    cracked = set(job.hcr[-1][1]) if job.hcr else set()
    values = [tension_index(v) if e not in cracked else math.nan
              for e, v in enumerate(job.hci[-1][1:], start=1)] if job.hci else [math.nan] * mesh.NELX
    norm = section_norm(judge)
    cmap = matplotlib.colormaps["RdYlBu"].with_extremes(over=matplotlib.colormaps["RdYlBu"](1.0),
                                                        bad=NO_TENSION_COLOUR)
    polygons = [mesh.corners(e) for e in range(1, mesh.NELX + 1)]
    elements = PolyCollection(polygons, array=values, cmap=cmap, norm=norm, edgecolors="0.75", linewidths=0.3,
                              gid="elements")
    ax.add_collection(elements)
    colorbar = fig.colorbar(elements, ax=ax, extend="max", shrink=0.9)
    # Short enough for the bar of a flat section (a long label runs past the figure's edge).
    colorbar.set_label(f"crack index (judge value {judge:g} in the middle)")
    colorbar.ax.axhline(judge, color="black", linewidth=1.2)

    handles = []
    if cracked:
        handles.append(ax.add_collection(PolyCollection(
            [polygons[e - 1] for e in sorted(cracked)], facecolors=CRACKED_COLOUR, edgecolors="white", hatch="///",
            linewidths=0.4, gid="cracked", label=f"cracked element ({len(cracked)} of {mesh.NELX})")))
    if any(math.isnan(v) for e, v in enumerate(values, start=1) if e not in cracked):
        handles.append(Patch(facecolor=NO_TENSION_COLOUR, edgecolor="0.75", label="uncracked, in compression"))
    band = last_band(job)
    if band is not None:
        for k, h in enumerate(band):
            line = ax.axhline(h, color="black", linestyle="--", linewidth=1.6, gid="band-edge", clip_on=False,
                              label=f"cracked band: {band[0]:g} to {band[1]:g} mm")
            if k == 0:
                handles.append(line)
    if job.deck.bars:
        widths = job.hwd[-1][2:] if job.hwd else [0.0] * job.deck.NSTEEL
        largest = max(widths)
        sizes = [12.0 + 80.0 * w / largest if largest > 0.0 else 12.0 for w in widths]
        colours = bar_colours(job)
        ax.scatter([b.SX for b in job.deck.bars], [b.SY for b in job.deck.bars], s=sizes,
                   c=[colours[j] for j in range(1, job.deck.NSTEEL + 1)], edgecolors="black", linewidths=0.6,
                   zorder=3, gid="bars", clip_on=False)
        from matplotlib.lines import Line2D
        for k, (face, bars) in enumerate(faces(job)):
            handles.append(Line2D([], [], linestyle="none", marker="o", markersize=7,
                                  markerfacecolor=FACE_COLOURS[k % len(FACE_COLOURS)], markeredgecolor="black",
                                  label=f"bars at the {face}" if face != "middle" else "bars in the middle"))
        handles.append(Line2D([], [], linestyle="none", marker="o", markersize=4, markerfacecolor="white",
                              markeredgecolor="black", label=f"bar size: crack width\n(largest {largest:.3f} mm)"))
    if handles:
        key.legend(handles=handles, loc="upper left", frameon=False, fontsize="small")
    return fig


PLOTTERS = {
    "temperature": plot_temperature,
    "hydration": plot_hydration,
    "temperature-map": plot_temperature_map,
    "crack-index": plot_crack_index,
    "probability": plot_probability,
    "stress-strength": plot_stress_strength,
    "crack-width": plot_crack_width,
    "band-height": plot_band_height,
    "bar-stress": plot_bar_stress,
    "section": plot_section,
}


def make_figures(job, allowable_width=DEFAULT_ALLOWABLE_WIDTH):
    """Every figure of the job, by name."""
    figures = {}
    for name in FIGURE_NAMES:
        if name == "crack-width":
            figures[name] = plot_crack_width(job, allowable_width)
        else:
            figures[name] = PLOTTERS[name](job)
    return figures
