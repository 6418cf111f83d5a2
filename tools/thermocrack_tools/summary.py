"""The answer of a job in a few numbers: whether, when and where the section cracks, the lowest crack
index at judgement and its cracking probability, the largest crack width, and the temperatures.

Cracking probability from the crack index I (the relation that mass-concrete guidelines use for
thermal cracking):  P(I) = 1 - exp(-(I / 0.92)^(-4.29)),  about 50 % at I = 1.0, 15 % at 1.40 and
5 % at 1.85.

The lowest index that counts is the one at judgement: ft / stress as the step judges its new cracks,
before the band's balance and the redistribution move the stresses (the program's .hcj file). In each
step only the elements not cracked in an earlier step count; the index of an element already cracked
no longer says how near it is to cracking.
"""

import math
from dataclasses import asdict, dataclass

from .limits import Limits, core_surface_difference, resolve_limits, within

# Guideline targets of the crack index: the lowest index to aim for, and what it is meant to achieve.
INDEX_TARGETS = ((1.85, "prevent cracking"), (1.40, "limit cracking"), (1.0, "allow cracks, limit their widths"))

STATUS_MEANING = {
    -1: "elements are cracked, but the cracked band reaches neither the top nor the bottom of the section",
    0: "the cracked band reaches the top of the section only",
    1: "no element is cracked",
    2: "the cracked band reaches the bottom of the section only",
    3: "the cracked band runs through the whole height of the section",
}

DEFAULT_ALLOWABLE_WIDTH = 0.2  # mm


def cracking_probability(index):
    """P(I) = 1 - exp(-(I / 0.92)^(-4.29)) as a fraction; 1 for an index of 0 or below, 0 for an unbounded one."""
    if not math.isfinite(index):
        return 0.0 if index > 0.0 else math.nan
    if index <= 0.0:
        return 1.0
    return 1.0 - math.exp(-((index / 0.92) ** -4.29))


def judged_indexes(job):
    """Per step (age, [(index, element)]) of the elements not cracked before the step, tension only.

    From .hcj (indexes at judgement); a run without it falls back to .hci (after redistribution)."""
    records = job.hcj if job.hcj is not None else job.hci
    cracked_before = set()
    steps = []
    for k, record in enumerate(records):
        kept = [(v, e) for e, v in enumerate(record[1:], start=1)
                if e not in cracked_before and math.isfinite(v) and v > 0.0]
        steps.append((record[0], kept))
        if k < len(job.hcr):
            cracked_before.update(job.hcr[k][1])
    return steps


def lowest_judged_index(job):
    """(index, age, element) of the lowest index at judgement over the run, or None when no element
    of any step was under tension."""
    best = None
    for age, kept in judged_indexes(job):
        for v, e in kept:
            if best is None or v < best[0]:
                best = (v, age, e)
    return best


def bar_face(job, j):
    """The face of the section bar j (from 1) lies nearest to: "left face, X = 0 mm", "bottom face,
    Y = 1600 mm", ...; "middle" when it lies further than 0.4 of the section's width (height) from
    every face."""
    xs, ys = job.mesh.X, job.mesh.Y
    bar = job.deck.bars[j - 1]
    sides = [("left", "X", min(xs), bar.SX - min(xs), max(xs) - min(xs)),
             ("right", "X", max(xs), max(xs) - bar.SX, max(xs) - min(xs)),
             ("bottom", "Y", min(ys), bar.SY - min(ys), max(ys) - min(ys)),
             ("top", "Y", max(ys), max(ys) - bar.SY, max(ys) - min(ys))]
    name, axis, at, distance, extent = min(sides, key=lambda s: s[3])
    if extent <= 0.0 or distance > 0.4 * extent:
        return "middle"
    return f"{name} face, {axis} = {at:g} mm"


@dataclass
class Summary:
    """One row per job: the column names are stable (README lists them)."""
    job: str
    status: int
    status_meaning: str
    cracked: bool
    first_crack_age_d: float
    first_crack_element: int
    first_crack_y_mm: float
    cracked_elements: int
    elements: int
    band_bottom_mm: float
    band_top_mm: float
    band_height_mm: float
    section_height_mm: float
    judge_value: float
    lowest_index: float
    lowest_index_age_d: float
    lowest_index_element: int
    lowest_index_x_mm: float
    lowest_index_y_mm: float
    lowest_index_at_judgement: bool
    cracking_probability_pct: float
    largest_width_mm: float
    largest_width_bar: int
    largest_width_age_d: float
    largest_width_face: str
    allowable_width_mm: float
    width_within_allowable: bool
    largest_temperature_c: float
    largest_temperature_age_d: float
    largest_temperature_node: int
    largest_difference_c: float
    largest_difference_age_d: float
    steps: int
    last_age_d: float
    allowable_width_source: str = ""
    temperature_limit_c: float = math.nan
    temperature_limit_source: str = ""
    temperature_within_limit: bool = None
    core_surface_difference_c: float = math.nan
    core_surface_difference_age_d: float = math.nan
    core_surface_face: str = ""
    difference_limit_c: float = math.nan
    difference_limit_source: str = ""
    difference_within_limit: bool = None

    def row(self):
        return asdict(self)


def temperature_extremes(job):
    """Per block (age, hottest node temperature, coolest boundary node temperature, hottest node, coolest node)."""
    boundary = job.mesh.boundary_nodes()
    rows = []
    for block in job.temperatures:
        hottest = max(range(1, len(block.T) + 1), key=lambda n: block.T[n - 1])
        coolest = min(boundary, key=lambda n: block.T[n - 1])
        rows.append((block.Age, block.T[hottest - 1], block.T[coolest - 1], hottest, coolest))
    return rows


def first_crack(job):
    """(age, element) of the first cracked element (the one with the lowest index at judgement in the
    step of the first crack when several crack at once), or None."""
    age = job.first_crack_age
    if age is None:
        return None
    k = next(k for k, (a, cracked) in enumerate(job.hcr) if cracked)
    cracked = job.hcr[k][1]
    records = job.hcj if job.hcj is not None else job.hci
    if k >= len(records):
        return age, cracked[0]
    element = min(cracked, key=lambda e: records[k][e] if records[k][e] > 0.0 else math.inf)
    return age, element


def csv_cell(v):
    """A summary value as a CSV cell: blank for none, six significant digits for a real."""
    return "" if v is None else (f"{v:.6g}" if isinstance(v, float) else v)


def summarise(job, allowable_width=None, limits=None):
    """The job's summary row; limits (a Limits) default to the job's own (limits.toml, else the
    sourced defaults), an allowable width given here taking the place of theirs."""
    nan = math.nan
    if limits is None:
        limits = resolve_limits(job.folder, allowable_width=allowable_width, width_given_by="allowable_width")
    allowable_width = limits.allowable_width_mm
    mesh = job.mesh
    crack = first_crack(job)
    band = (nan, nan)
    if job.hcr and job.hcr[-1][1] and job.listing:
        band = (job.listing[-1].hmin, job.listing[-1].hmax)
    lowest = lowest_judged_index(job)
    lx, ly = mesh.centre(lowest[2]) if lowest else (nan, nan)

    width = (nan, None, nan)
    for r in job.hwd:
        for j, w in enumerate(r[2:], start=1):
            if math.isnan(width[0]) or w > width[0]:
                width = (w, j, r[0])
    if width[1] is not None and width[0] <= 0.0:
        width = (0.0, None, nan)

    temps = temperature_extremes(job)
    hottest = max(temps, key=lambda r: r[1]) if temps else None
    difference = max(temps, key=lambda r: r[1] - r[2]) if temps else None

    core = core_surface_difference(job)
    return Summary(
        job=job.name,
        status=job.status,
        status_meaning=STATUS_MEANING[job.status] if job.status is not None
        else "the run wrote no status: it did not end normally",
        cracked=crack is not None,
        first_crack_age_d=crack[0] if crack else nan,
        first_crack_element=crack[1] if crack else None,
        first_crack_y_mm=mesh.centre(crack[1])[1] if crack else nan,
        cracked_elements=len(job.hcr[-1][1]) if job.hcr else 0,
        elements=mesh.NELX,
        band_bottom_mm=band[0],
        band_top_mm=band[1],
        band_height_mm=band[1] - band[0],
        section_height_mm=mesh.YTOP - mesh.YBOT,
        judge_value=job.deck.judge,
        lowest_index=lowest[0] if lowest else nan,
        lowest_index_age_d=lowest[1] if lowest else nan,
        lowest_index_element=lowest[2] if lowest else None,
        lowest_index_x_mm=lx,
        lowest_index_y_mm=ly,
        lowest_index_at_judgement=job.hcj is not None,
        cracking_probability_pct=100.0 * cracking_probability(lowest[0]) if lowest else 0.0,
        largest_width_mm=width[0] if job.deck.NSTEEL else nan,
        largest_width_bar=width[1],
        largest_width_age_d=width[2],
        largest_width_face=bar_face(job, width[1]) if width[1] else "",
        allowable_width_mm=allowable_width,
        width_within_allowable=not (width[0] > allowable_width),
        largest_temperature_c=hottest[1] if hottest else nan,
        largest_temperature_age_d=hottest[0] if hottest else nan,
        largest_temperature_node=hottest[3] if hottest else None,
        largest_difference_c=difference[1] - difference[2] if difference else nan,
        largest_difference_age_d=difference[0] if difference else nan,
        steps=len(job.hci),
        last_age_d=job.hci[-1][0] if job.hci else nan,
        allowable_width_source=limits.allowable_width_source,
        temperature_limit_c=limits.max_temperature_c,
        temperature_limit_source=limits.max_temperature_source,
        temperature_within_limit=within(hottest[1] if hottest else None, limits.max_temperature_c),
        core_surface_difference_c=core[0] if core else nan,
        core_surface_difference_age_d=core[1] if core else nan,
        core_surface_face=core[2] if core else "",
        difference_limit_c=limits.max_difference_c,
        difference_limit_source=limits.max_difference_source,
        difference_within_limit=within(core[0] if core else None, limits.max_difference_c),
    )
