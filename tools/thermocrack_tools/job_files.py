"""Reading a thermocrack job's files: the title, input deck, mesh, node temperatures, list file and the
result files, each checked against the layout the program writes; a file that is missing or does not
read so raises JobError naming the file (and the record, columns or line).
"""

import datetime
import math
import os
import re
from dataclasses import dataclass, field

class JobError(Exception):
    """A job file that is missing or does not read as the program writes it."""


# ---------------------------------------------------------------------------------------------------
# Records of the job files

def read_records(path):
    """The records (lines) of a text file, without their line ends (LF or CR LF)."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        raise JobError(f"{path}: file not found") from None
    except OSError as e:
        raise JobError(f"{path}: cannot be read ({e.strerror})") from None
    lines = data.decode("latin-1").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    return [line[:-1] if line.endswith("\r") else line for line in lines]


def columns(record, first, last):
    """Columns first to last (from 1, inclusive) of a record; a short record reads as padded with blanks."""
    return record[first - 1:last].ljust(last - first + 1)


_INT_FIELD = re.compile(r"[+-]?\d+")
_REAL_FIELD = re.compile(r"([+-]?)(\d*)(?:\.(\d*))?(?:[EeDd]([+-]?\d+)|([+-]\d+))?")


def int_field(text):
    """A fixed-column integer: blanks are ignored, an all-blank field is 0. None when not a number."""
    s = text.replace(" ", "")
    if s == "":
        return 0
    return int(s) if _INT_FIELD.fullmatch(s) else None


def real_field(text, decimals):
    """A fixed-column real read with `decimals` implied fraction digits when it has no decimal point.

    Blanks are ignored and an all-blank field is 0.0; the exponent is E or D with an integer, or a sign
    with an integer. None when the field is not a number.
    """
    s = text.replace(" ", "")
    if s == "":
        return 0.0
    m = _REAL_FIELD.fullmatch(s)
    if not m or (m.group(2) == "" and not m.group(3)):
        return None
    sign, whole, fraction, exponent1, exponent2 = m.groups()
    exponent = int(exponent1 or exponent2 or "0")
    if fraction is None:
        value = int(whole) / 10 ** decimals
    else:
        value = float((whole or "0") + "." + (fraction or "0"))
    value *= 10.0 ** exponent
    return -value if sign == "-" else value


def fixed_value(path, records, index, first, last, what, decimals=None):
    """The value in columns first-last of record index (from 0): an integer, or a real when decimals is given."""
    if index >= len(records):
        raise JobError(f"{path}: record {index + 1} ({what}) is missing: the file ends after {len(records)} records")
    text = columns(records[index], first, last)
    value = int_field(text) if decimals is None else real_field(text, decimals)
    if value is None:
        raise JobError(f"{path}: record {index + 1}, columns {first}-{last} ({what}): \"{text}\" is not a number")
    return value


# ---------------------------------------------------------------------------------------------------
# Title, input deck and mesh

def read_job_name(path):
    """The job name: the first free-form value of title.dat (blank records before it are passed over).

    A value in apostrophes or quotation marks may hold blanks (a doubled quote stands for one); else it
    ends at a blank, comma or slash. At most 80 characters, trailing blanks dropped.
    """
    for record in read_records(path):
        text = record.lstrip(" \t")
        if not text:
            continue
        if text[0] in "'\"":
            quote, name, i = text[0], [], 1
            while i < len(text):
                if text[i] == quote:
                    if i + 1 < len(text) and text[i + 1] == quote:
                        name.append(quote)
                        i += 2
                        continue
                    break
                name.append(text[i])
                i += 1
            name = "".join(name)
        else:
            name = re.match(r"[^ \t,/]*", text).group(0)
        return name[:80].rstrip(" ")
    raise JobError(f"{path}: holds no job name")


@dataclass
class Bar:
    SX: float
    SY: float
    AREA: float


@dataclass
class InputDeck:
    IECHO: int
    Iinit: int
    NSTEEL: int
    judge: float
    bars: list
    material: dict = field(default_factory=dict)  # name -> value of records 3 to 6, in the deck's order


# The material values of records 3 to 6: (record index from 0, names); twelve columns each.
MATERIAL_RECORDS = (
    (2, ("Sigma-91day", "Parameter-A", "Parameter-B", "Parameter-C", "fc -> Ec", "alpha-c")),
    (3, ("lcb", "lcu", "lsb", "lsu")),
    (4, ("Es", "judge")),
    (5, ("Rn", "Rm1", "Rm2")),
)


def read_input_deck(path):
    """IECHO, Iinit, NSTEEL, the judge value (record M3, columns 13-24) and the bars of the input deck."""
    r = read_records(path)
    IECHO = fixed_value(path, r, 0, 1, 5, "IECHO")
    Iinit = fixed_value(path, r, 0, 6, 10, "Iinit")
    NSTEEL = fixed_value(path, r, 1, 1, 5, "NSTEEL")
    if NSTEEL < 0 or NSTEEL > 200:
        raise JobError(f"{path}: record 2, columns 1-5: NSTEEL {NSTEEL} is outside 0 to 200")
    judge = fixed_value(path, r, 4, 13, 24, "crack index for judge", decimals=5)
    material = {}
    for index, names in MATERIAL_RECORDS:
        for k, name in enumerate(names):
            material[name] = fixed_value(path, r, index, 1 + 12 * k, 12 + 12 * k, name, decimals=5)
    bars = []
    for b in range(NSTEEL):
        i = 6 + b
        what = f"bar {b + 1}"
        bars.append(Bar(fixed_value(path, r, i, 6, 20, what + " SX", 1),
                        fixed_value(path, r, i, 21, 35, what + " SY", 1),
                        fixed_value(path, r, i, 36, 50, what + " AREA", 1)))
    return InputDeck(IECHO, Iinit, NSTEEL, judge, bars, material)


@dataclass
class Mesh:
    NX: int
    NELX: int
    X: list
    Y: list
    elements: list  # four corner node numbers (from 1) per element

    @property
    def YTOP(self):
        return max(self.Y)

    @property
    def YBOT(self):
        return min(self.Y)

    def corners(self, e):
        """The corner points of element e (from 1)."""
        return [(self.X[n - 1], self.Y[n - 1]) for n in self.elements[e - 1]]

    def centre(self, e):
        """The mean of the corner points of element e (from 1)."""
        points = self.corners(e)
        return sum(p[0] for p in points) / 4.0, sum(p[1] for p in points) / 4.0

    def boundary_nodes(self):
        """The nodes (from 1) on the section's boundary: the ends of edges that only one element uses."""
        uses = {}
        for nodes in self.elements:
            for k in range(4):
                edge = frozenset((nodes[k], nodes[(k + 1) % 4]))
                uses[edge] = uses.get(edge, 0) + 1
        return sorted({n for edge, count in uses.items() if count == 1 for n in edge})


def read_mesh(path):
    """NX, NELX, the node coordinates and the element corner nodes of the mesh file."""
    r = read_records(path)
    NX = fixed_value(path, r, 1, 1, 5, "NX")
    NELX = fixed_value(path, r, 1, 6, 10, "NELX")
    for name, count in (("NX", NX), ("NELX", NELX)):
        if count < 1 or count > 700:
            raise JobError(f"{path}: record 2: {name} {count} is outside 1 to 700")
    X, Y = [], []
    for i in range(NX):
        X.append(fixed_value(path, r, 3 + i, 11, 20, f"node {i + 1} X", 0))
        Y.append(fixed_value(path, r, 3 + i, 21, 30, f"node {i + 1} Y", 0))
    elements = []
    for e in range(NELX):
        i = 3 + NX + e
        nodes = [fixed_value(path, r, i, 11 + 6 * k, 16 + 6 * k, f"element {e + 1} node {k + 1}") for k in range(4)]
        for n in nodes:
            if n < 1 or n > NX:
                raise JobError(f"{path}: record {i + 1}: element {e + 1} names node {n}, outside 1 to NX = {NX}")
        elements.append(nodes)
    return Mesh(NX, NELX, X, Y, elements)


# ---------------------------------------------------------------------------------------------------
# Result files: free-form records, one per step, that may run over several lines

_FREE_REAL = re.compile(r"[+-]?(?:\d+\.\d*|\.\d+|\d+)(?:[Ee][+-]?\d+)?|[+-]?Infinity|NaN")
_FREE_INT = re.compile(r"[+-]?\d+")


def free_tokens(path):
    """Every value of a free-form file with its line number (from 1) and whether it begins its line."""
    tokens = []
    for number, record in enumerate(read_records(path), start=1):
        for k, text in enumerate(record.split()):
            tokens.append((text, number, k == 0))
    return tokens


def free_real(path, text, line):
    if not _FREE_REAL.fullmatch(text):
        raise JobError(f"{path}: line {line}: \"{text}\" is not a number")
    return float(text)


def read_history(path, count, what):
    """The records of a result file whose records hold `count` values each (`what` says why).

    Each record begins on a new line; a file whose values do not make whole records of that length
    belongs to another mesh or input deck, or was cut short.
    """
    tokens = free_tokens(path)
    if len(tokens) % count != 0:
        raise JobError(f"{path}: {len(tokens)} values do not make whole records of {count} values "
                       f"({what}): the file does not belong to this job's mesh and input deck, or is cut short")
    records = []
    for start in range(0, len(tokens), count):
        text, line, begins_line = tokens[start]
        if not begins_line:
            raise JobError(f"{path}: line {line}: record {len(records) + 1} does not begin a line: "
                           f"records of {count} values ({what}) do not fit the file")
        records.append([free_real(path, t, n) for t, n, _ in tokens[start:start + count]])
    return records


def read_cracked_history(path, NELX):
    """The records of .hcr: the age (a real), then the cracked element numbers (integers), per step."""
    records = []
    for text, line, begins_line in free_tokens(path):
        if _FREE_INT.fullmatch(text):
            if not records:
                raise JobError(f"{path}: line {line}: the file begins with the integer {text}, not with an age")
            e = int(text)
            if e < 1 or e > NELX:
                raise JobError(f"{path}: line {line}: element {e} is outside 1 to NELX = {NELX}")
            records[-1][1].append(e)
        else:
            age = free_real(path, text, line)
            if not begins_line:
                raise JobError(f"{path}: line {line}: the age {text} does not begin a line")
            records.append((age, []))
    return records


@dataclass
class ListedStep:
    """What the list file shows of one step: its property line and its cracked band."""
    Age: float
    fc: float
    ft: float
    Ec: float
    ModulusFactor: float
    hmax: float = math.nan
    hmin: float = math.nan


def read_listing(path):
    """The property line "(5F10.2)" that follows every step heading, and the step's band line if any."""
    records = read_records(path)
    steps = []
    i = 0
    while i < len(records):
        if "*** Nstep=" in records[i]:
            i += 1
            while i < len(records) and records[i].strip() == "":
                i += 1
            if i == len(records):
                raise JobError(f"{path}: the last step heading has no property line")
            values = []
            for k in range(5):
                text = columns(records[i], 10 * k + 1, 10 * k + 10)
                value = math.nan if "*" in text else real_field(text, 2)
                if value is None or text.strip() == "":
                    raise JobError(f"{path}: line {i + 1}, columns {10 * k + 1}-{10 * k + 10}: \"{text}\" is not "
                                   f"a number of the property line (age, fc, ft, Ec, modulus factor)")
                values.append(value)
            steps.append(ListedStep(*values))
        elif records[i].startswith(" hmax=") and steps:
            hmax = real_field(columns(records[i], 7, 16), 3)
            hmin = real_field(columns(records[i], 22, 31), 3)
            steps[-1].hmax = math.nan if hmax is None else hmax
            steps[-1].hmin = math.nan if hmin is None else hmin
        i += 1
    return steps



# ---------------------------------------------------------------------------------------------------
# Node temperatures (.tmp) and the heat analysis's surroundings (heat.toml)

@dataclass
class TemperatureBlock:
    step: int
    Age: float
    T: list  # temperature of every node in node order (C)


def read_temperatures(path, NX):
    """The blocks of the temperature file: three header records (the second holds the number of blocks),
    then per block a step record "(I5,F10.0)" and NX temperatures "(10E10.3)", ten to a record."""
    r = read_records(path)
    count = fixed_value(path, r, 1, 1, 5, "number of blocks")
    lines_per_block = 1 + (NX + 9) // 10
    blocks = []
    for b in range(count):
        i = 3 + b * lines_per_block
        step = fixed_value(path, r, i, 1, 5, f"block {b + 1} step number")
        age = fixed_value(path, r, i, 6, 15, f"block {b + 1} age", 0)
        T = []
        for n in range(NX):
            k = i + 1 + n // 10
            first = 1 + 10 * (n % 10)
            T.append(fixed_value(path, r, k, first, first + 9, f"block {b + 1} node {n + 1} temperature", 3))
        blocks.append(TemperatureBlock(step, age, T))
    return blocks


def _ambient_function(value, where, placing=None):
    """An ambient temperature of heat.toml as a function of age: a number; a list of [age, C] points,
    linear between them and constant beyond; or {mean, amplitude, peak}: mean + amplitude cos(2 pi (t - peak)),
    or peak_hour instead of peak, a clock hour, with [site]'s placing (a datetime) given:
    peak = (peak_hour / 24 - placing's time of day) mod 1."""
    if isinstance(value, bool):
        raise JobError(f"{where}: a temperature must be a number, a list of [age, C] points or "
                       f"{{mean, amplitude, peak}}, not {value!r}")
    if isinstance(value, (int, float)):
        return lambda t: float(value)
    if isinstance(value, list):
        points = []
        for p in value:
            if (not isinstance(p, list) or len(p) != 2
                    or not all(isinstance(v, (int, float)) and not isinstance(v, bool) for v in p)):
                raise JobError(f"{where}: every point must be [age, C], not {p!r}")
            points.append((float(p[0]), float(p[1])))
        if not points:
            raise JobError(f"{where}: the list of [age, C] points is empty")
        if any(b[0] <= a[0] for a, b in zip(points, points[1:])):
            raise JobError(f"{where}: the ages of the [age, C] points must increase")

        def linear(t):
            if t <= points[0][0]:
                return points[0][1]
            for (a0, c0), (a1, c1) in zip(points, points[1:]):
                if t <= a1:
                    return c0 + (c1 - c0) * (t - a0) / (a1 - a0)
            return points[-1][1]
        return linear
    if isinstance(value, dict) and "peak_hour" in value and "peak" not in value and placing is not None:
        value = dict(value)
        hour = value.pop("peak_hour")
        if isinstance(hour, (int, float)) and not isinstance(hour, bool):
            value["peak"] = (hour / 24.0 - (placing.hour * 60 + placing.minute) / 1440.0) % 1.0
    if isinstance(value, dict):
        keys = {"mean", "amplitude", "peak"}
        if set(value) != keys or not all(isinstance(value[k], (int, float)) for k in keys):
            raise JobError(f"{where}: a daily cycle needs the numbers mean, amplitude and peak, "
                           f"found {sorted(value)}")
        mean, amplitude, peak = (float(value[k]) for k in ("mean", "amplitude", "peak"))
        return lambda t: mean + amplitude * math.cos(2.0 * math.pi * (t - peak))
    raise JobError(f"{where}: a temperature must be a number, a list of [age, C] points or "
                   f"{{mean, amplitude, peak}}, not {value!r}")


@dataclass
class HeatInputs:
    """What the report shows of heat.toml: the whole table, and the ambient temperatures by age."""
    path: str
    table: dict
    ambient: object = None                          # function of age, or None
    boundary_ambients: list = field(default_factory=list)  # (label, function of age)


def read_heat_inputs(path):
    """heat.toml when the job has one (None otherwise): its [ambient] temperature and the ambients of the
    [[boundary]] entries that have their own."""
    if not os.path.exists(path):
        return None
    import tomllib
    try:
        with open(path, "rb") as f:
            table = tomllib.load(f)
    except tomllib.TOMLDecodeError as e:
        raise JobError(f"{path}: {e}") from None
    except OSError as e:
        raise JobError(f"{path}: cannot be read ({e.strerror})") from None
    heat = HeatInputs(path, table)
    site = table.get("site")
    placing = site.get("placing") if isinstance(site, dict) else None
    if isinstance(placing, str):
        try:
            placing = datetime.datetime.fromisoformat(placing)
        except ValueError:
            placing = None
    if not isinstance(placing, datetime.datetime):
        placing = None
    ambient = table.get("ambient")
    if isinstance(ambient, dict) and "temperature" in ambient:
        heat.ambient = _ambient_function(ambient["temperature"], f"{path}: [ambient] temperature", placing)
    for k, boundary in enumerate(table.get("boundary", []) or [], start=1):
        if isinstance(boundary, dict) and "ambient" in boundary:
            where = boundary.get("side") or ", ".join(f"{a} = {boundary[a]:g}" for a in ("x", "y")
                                                        if isinstance(boundary.get(a), (int, float)))
            heat.boundary_ambients.append((f"boundary {k} ({where})" if where else f"boundary {k}",
                                           _ambient_function(boundary["ambient"], f"{path}: [[boundary]] {k} ambient",
                                                             placing)))
    return heat


# ---------------------------------------------------------------------------------------------------
# The job

@dataclass
class Job:
    folder: str
    name: str
    deck: InputDeck
    mesh: Mesh
    listing: list       # ListedStep per step
    hss: list           # [Age, sigma-S(1..NSTEEL)]
    hci: list           # [Age, crack index(1..NELX)]
    hwd: list           # [Age, u1, width(1..NSTEEL)]
    hcr: list           # (Age, [cracked element numbers])
    hdp: list           # [Age, hmax - hmin]
    hst: list           # [Age, sigma-C(1..NELX)]
    hcj: list = None    # [Age, crack index at judgement(1..NELX)]; None for a run that wrote no .hcj
    temperatures: list = field(default_factory=list)  # TemperatureBlock per block of the .tmp
    heat: HeatInputs = None
    status: int = None  # the value of .sta
    hydration: list = None  # rows of NAME-hydration.csv (dicts of floats); None when the heat analysis wrote none

    @property
    def first_crack_age(self):
        for age, cracked in self.hcr:
            if cracked:
                return age
        return None


def read_status(path):
    """The run's status, or None when the run wrote none (it stopped on an error, or is older)."""
    if not os.path.exists(path):
        return None
    values = [t for t, _, _ in free_tokens(path)]
    if not values:
        return None
    if len(values) != 1 or not re.fullmatch(r"[+-]?\d+", values[0]) or int(values[0]) not in (-1, 0, 1, 2, 3):
        raise JobError(f"{path}: holds {' '.join(values) or 'nothing'}, not one status value -1, 0, 1, 2 or 3")
    return int(values[0])


HYDRATION_COLUMNS = ("age_d", "hottest_C", "hottest_equivalent_age_d", "hottest_degree_of_hydration",
                     "mean_degree_of_hydration", "adiabatic_C")


def read_hydration(path):
    """The rows of NAME-hydration.csv that thermocrack heat writes beside the .tmp, or None without one."""
    if not os.path.exists(path):
        return None
    import csv
    rows = []
    with open(path, newline="") as f:
        reader = csv.reader(f)
        header = next(reader, None)
        if header is None or tuple(header) != HYDRATION_COLUMNS:
            raise JobError(f"{path}, line 1: the columns are not {', '.join(HYDRATION_COLUMNS)}")
        for number, row in enumerate(reader, start=2):
            try:
                values = [float(v) for v in row]
            except ValueError:
                raise JobError(f"{path}, line {number}: holds a value that is not a number") from None
            if len(values) != len(HYDRATION_COLUMNS):
                raise JobError(f"{path}, line {number}: {len(values)} values, not {len(HYDRATION_COLUMNS)}")
            rows.append(dict(zip(HYDRATION_COLUMNS, values)))
    return rows


def load_job(folder):
    """Reads every file of the job in a host folder."""
    if not os.path.isdir(folder):
        raise JobError(f"{folder}: no such job folder")
    name = read_job_name(os.path.join(folder, "title.dat"))
    if not name:
        raise JobError(f"{os.path.join(folder, 'title.dat')}: the job name is empty")

    def file(extension):
        return os.path.join(folder, name + extension)

    deck = read_input_deck(file(".inp"))
    mesh = read_mesh(file(".dat"))
    listing = read_listing(file(".out"))
    temperatures = read_temperatures(file(".tmp"), mesh.NX)
    heat = read_heat_inputs(os.path.join(folder, "heat.toml"))
    status = read_status(file(".sta"))
    hydration = read_hydration(file("-hydration.csv"))
    NSTEEL, NELX = deck.NSTEEL, mesh.NELX
    if not listing:
        # A run without steps writes no result record: what the result files hold is an earlier run's.
        for extension in (".hss", ".hci", ".hwd", ".hcr", ".hdp", ".hst"):
            read_records(file(extension))
        return Job(folder=folder, name=name, deck=deck, mesh=mesh, listing=[], hss=[], hci=[], hwd=[], hcr=[],
                   hdp=[], hst=[], hcj=[], temperatures=temperatures, heat=heat, status=status,
                   hydration=hydration)
    hcj = None
    if os.path.exists(file(".hcj")):
        hcj = read_history(file(".hcj"), 1 + NELX, f"age and {NELX} crack indexes at judgement")
    return Job(
        folder=folder, name=name, deck=deck, mesh=mesh,
        listing=listing,
        hss=read_history(file(".hss"), 1 + NSTEEL, f"age and {NSTEEL} bar stresses"),
        hci=read_history(file(".hci"), 1 + NELX, f"age and {NELX} crack indexes"),
        hwd=read_history(file(".hwd"), 2 + NSTEEL, f"age, u1 and {NSTEEL} crack widths"),
        hcr=read_cracked_history(file(".hcr"), NELX),
        hdp=read_history(file(".hdp"), 2, "age and cracked band height"),
        hst=read_history(file(".hst"), 1 + NELX, f"age and {NELX} concrete stresses"),
        hcj=hcj, temperatures=temperatures, heat=heat, status=status, hydration=hydration,
    )
