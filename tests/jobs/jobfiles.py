"""Writers for the input files of a thermocrack job, in the fixed columns the program reads.

A job folder holds title.dat (the job name) and <name>.inp, <name>.dat and <name>.tmp; the working
folder holds path.dat, which names the job folder. Python 3 standard library only.
"""
import math
import os


def real12(v):
    """A material value for a "(7E12.5)" field: always with a decimal point, so it reads as written."""
    if v != 0 and (abs(v) < 0.01 or abs(v) >= 1.0e7):
        text = f"{v:.1E}"
        mant, exp = text.split("E")
        text = f"{mant}E{exp[0]}{int(exp[1:]):02d}"
    else:
        text = repr(float(v))
    assert len(text) <= 12, text
    return f"{text:>12}"


def write_lines(path, lines, crlf=False):
    end = "\r\n" if crlf else "\n"
    with open(path, "w", newline="") as f:
        for line in lines:
            f.write(line + end)


def write_path_file(work, folder=r"c:\job"):
    """path.dat in the working folder; c:\\job names ./job/ when no THERMOCRACK_DRIVE_C is set."""
    write_lines(os.path.join(work, "path.dat"), [folder])


def write_title(job_dir, name):
    write_lines(os.path.join(job_dir, "title.dat"), [name])


def deck_lines(iecho, iinit, params, bars):
    """The input deck: switches, bar count, material records M1 to M4, bars.

    params: Sigma-91day, Parameter-A, Parameter-B, Parameter-C, fc -> Ec, concrete expansion,
    lcb, lcu, lsb, lsu, Es, judge value, Rn, Rm1, Rm2.  bars: (SX, SY, AREA) in mm and mm2.
    """
    (s91, pa, pb, pc, fcec, alpha, lcb, lcu, lsb, lsu, es, judge, rn, rm1, rm2) = params
    lines = [f"{iecho:5d}{iinit:5d}", f"{len(bars):5d}"]
    lines.append("".join(real12(v) for v in (s91, pa, pb, pc, fcec, alpha)))
    lines.append("".join(real12(v) for v in (lcb, lcu, lsb, lsu)))
    lines.append("".join(real12(v) for v in (es, judge)))
    lines.append("".join(real12(v) for v in (rn, rm1, rm2)))
    for b, (sx, sy, area) in enumerate(bars, 1):
        lines.append(f"{b:5d}{sx:15.1f}{sy:15.1f}{area:15.1f}")
    return lines


def mesh_lines(nodes, elements, nsteel, thickness=1000.0):
    """The mesh file: three header records, the nodes (X, Y) and the elements (four corners, counter-clockwise)."""
    lines = [f"{1:5d}{0:5d}{0:5d}{0.0:10.1f}",
             f"{len(nodes):5d}{len(elements):5d}{nsteel:5d}{0.0:10.1f}",
             f"{1:5d}{1:5d}{4:5d}{1.0:10.1f}"]
    for i, (x, y) in enumerate(nodes, 1):
        lines.append(f"{i:10d}{x:10.1f}{y:10.1f}")
    for e, corners in enumerate(elements, 1):
        lines.append(f"{e:10d}" + "".join(f"{n:6d}" for n in corners) + f"{thickness:8.1f}")
    return lines


def temperature_lines(nnodes, nelements, blocks):
    """The temperature file: header (second record = number of blocks), then per block the step
    number and age, and the node temperatures ten to a record."""
    lines = [f"{nnodes:5d}{nelements:5d}{1:5d}", f"{len(blocks):5d}", f"{0:5d}"]
    for nstep, age, temps in blocks:
        assert len(temps) == nnodes
        lines.append(f"{nstep:5d}{age:10.4f}")
        for k in range(0, nnodes, 10):
            lines.append("".join(f"{t:10.3f}" for t in temps[k:k + 10]))
    return lines


def write_job(job_dir, name, iecho, iinit, params, nodes, elements, bars, blocks, crlf=False):
    os.makedirs(job_dir, exist_ok=True)
    write_title(job_dir, name)
    write_lines(os.path.join(job_dir, name + ".inp"), deck_lines(iecho, iinit, params, bars), crlf)
    write_lines(os.path.join(job_dir, name + ".dat"), mesh_lines(nodes, elements, len(bars)), crlf)
    write_lines(os.path.join(job_dir, name + ".tmp"),
                temperature_lines(len(nodes), len(elements), blocks), crlf)


def grid(widths, heights):
    """A structured mesh: node coordinates row by row from the bottom, elements counter-clockwise
    from their lower-left corner."""
    xs = [0.0]
    for w in widths:
        xs.append(xs[-1] + w)
    ys = [0.0]
    for h in heights:
        ys.append(ys[-1] + h)
    nodes = [(x, y) for y in ys for x in xs]
    row = len(xs)
    elements = []
    for j in range(len(heights)):
        for i in range(len(widths)):
            n1 = j * row + i + 1
            elements.append((n1, n1 + 1, n1 + 1 + row, n1 + row))
    return nodes, elements


def hydration_field(nodes, age, thickness, height, rise, faces=0.55, placing=20.0, ambient=15.0):
    """Node temperatures of a wall cross-section (X across the thickness, Y up the height) at an age in
    days: the heat of hydration lifts the core by up to `rise` degrees at about 1.5 days and leaves it
    over the following weeks; the faces get `faces` of the core's rise, the base (on a cooler footing)
    and the top (exposed) less than mid-height."""
    heat, loss = 0.6, 6.0
    peak = math.log(loss / heat) / (1.0 / heat - 1.0 / loss)
    norm = math.exp(-peak / loss) - math.exp(-peak / heat)
    h = (math.exp(-age / loss) - math.exp(-age / heat)) / norm
    base = ambient + (placing - ambient) * math.exp(-age / 2.0)
    temps = []
    for x, y in nodes:
        across = faces + (1.0 - faces) * math.sin(math.pi * x / thickness)
        up = 1.0 - 0.4 * math.exp(-y / 350.0) - 0.3 * math.exp(-(height - y) / 250.0)
        temps.append(base + rise * h * across * up)
    return temps
