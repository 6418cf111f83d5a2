"""Reading a job's files: fixed-column inputs, free-form result records over several lines, the list file."""

import math

import pytest

CRLF = "\r\n"


def write(path, lines):
    path.write_bytes((CRLF.join(lines) + CRLF).encode("latin-1"))


def free_record(values, first_width=15):
    """One free-form record as the program writes it: reals 15 (then 16) columns, integers 11 (then 12),
    at most 79 columns a line, each line beginning with a blank."""
    lines, line = [], " "
    for k, v in enumerate(values):
        text = v if isinstance(v, str) else (f"{v:.6f}" if isinstance(v, float) else str(v))
        width = (11 if isinstance(v, int) else first_width) + (1 if k > 0 else 0)
        if len(line) + width > 79:
            lines.append(line)
            line = " "
        line += text.rjust(width)
    lines.append(line)
    return lines


def make_job(folder, *, nsteel=2, judge_field="         1.2", hci=None, hcr=None, hss=None, hwd=None,
             hdp=None, hst=None, listing=None, title="'my job' further words"):
    """A job of 3 x 2 elements of 100 x 100 mm with nsteel bars and the result files given as lines."""
    folder.mkdir(parents=True, exist_ok=True)
    name = "my job"
    write(folder / "title.dat", ["", title])
    bars = [f"{b + 1:5d}{'%.1f' % (50.0 + 100.0 * b):>15}{'%.1f' % (50.0 + 100.0 * (b % 2)):>15}{'286.5':>15}"
            for b in range(nsteel)]
    write(folder / f"{name}.inp", [
        "    0    0", f"{nsteel:5d}",
        "        40.0         4.5        0.95        0.44      4700.0     1.0E-05",
        "       400.0       600.0       200.0       300.0",
        "    200000.0" + judge_field,
        "         0.8         0.6         0.5"] + bars)
    nodes = [(x * 100.0, y * 100.0) for y in range(3) for x in range(4)]
    elements = []
    for ey in range(2):
        for ex in range(3):
            n1 = ey * 4 + ex + 1
            elements.append((n1, n1 + 1, n1 + 5, n1 + 4))
    write(folder / f"{name}.dat",
          ["    1", f"{len(nodes):5d}{len(elements):5d}", "    1    4    0       0.0"]
          + [f"{i + 1:10d}{x:10.1f}{y:10.1f}" for i, (x, y) in enumerate(nodes)]
          + [f"{e + 1:10d}" + "".join(f"{n:6d}" for n in c) + f"{1.0:8.1f}" for e, c in enumerate(elements)])
    ages = [0.5, 1.0]
    defaults = {
        ".hci": [line for a in ages for line in free_record([a] + [2.0 + a] * 6)],
        ".hcr": [line for a in ages for line in free_record([a])],
        ".hss": [line for a in ages for line in free_record([a] + [-1.0] * nsteel)],
        ".hwd": [line for a in ages for line in free_record([a, 0.0] + [0.0] * nsteel)],
        ".hdp": [line for a in ages for line in free_record([a, 0.0])],
        ".hst": [line for a in ages for line in free_record([a] + [0.5] * 6)],
    }
    given = {".hci": hci, ".hcr": hcr, ".hss": hss, ".hwd": hwd, ".hdp": hdp, ".hst": hst}
    for extension, lines in defaults.items():
        write(folder / f"{name}{extension}", given[extension] if given[extension] is not None else lines)
    if listing is None:
        listing = []
        for n, a in enumerate(ages, start=2):
            listing += ["", "", f"     *** Nstep={n:3d}     Age={a:7.3f}***", "",
                        f"{a:10.2f}{2.11:10.2f}{0.64 + a:10.2f}{5007.52:10.2f}{0.73:10.2f}"]
    write(folder / f"{name}.out", ["     ***** Echo print of input data  *****"] + listing)
    # Node temperatures: a starting block and one per step, the nodes of the middle column warmer.
    tmp = [f"{len(nodes):5d}{len(elements):5d}    1", f"{len(ages) + 1:5d}", "    0"]
    for b, a in enumerate([0.0] + ages):
        tmp.append(f"{b:5d}{a:10.4f}")
        temps = [20.0 + (5.0 * b if x in (100.0, 200.0) and y == 100.0 else 0.0) for x, y in nodes]
        tmp += ["".join(f"{t:10.3f}" for t in temps[k:k + 10]) for k in range(0, len(temps), 10)]
    write(folder / f"{name}.tmp", tmp)
    write(folder / f"{name}.sta", ["           1"])
    return folder


def test_fixed_fields_take_implied_decimals_and_exponents(plot):
    assert plot.real_field("  30", 5) == pytest.approx(0.0003)
    assert plot.real_field(" 30.", 5) == 30.0
    assert plot.real_field("      3.0E1", 5) == 30.0
    assert plot.real_field("1.5E3", 5) == 1500.0
    assert plot.real_field(" 1.5D3", 5) == 1500.0
    assert plot.real_field(" .125+02", 3) == 12.5
    assert plot.real_field("  100", 1) == 10.0
    assert plot.real_field(" -1 2.5 ", 1) == -12.5
    assert plot.real_field("     ", 2) == 0.0
    assert plot.real_field(" 1.2.3", 2) is None
    assert plot.real_field("  +  ", 2) is None
    assert plot.int_field(" 1 0 ") == 10
    assert plot.int_field("     ") == 0
    assert plot.int_field("  2.0") is None


def test_deck_mesh_and_title_of_a_job(plot, tmp_path):
    job = plot.load_job(str(make_job(tmp_path / "job")))
    assert job.name == "my job"
    assert (job.deck.NSTEEL, job.deck.judge) == (2, pytest.approx(1.2))
    assert [(b.SX, b.SY, b.AREA) for b in job.deck.bars] == [(50.0, 50.0, 286.5), (150.0, 150.0, 286.5)]
    assert (job.mesh.NX, job.mesh.NELX, job.mesh.YTOP, job.mesh.YBOT) == (12, 6, 200.0, 0.0)
    assert job.mesh.corners(6) == [(200.0, 100.0), (300.0, 100.0), (300.0, 200.0), (200.0, 200.0)]


def test_judge_value_without_a_decimal_point_has_five_implied_decimals(plot, tmp_path):
    job = plot.load_job(str(make_job(tmp_path / "job", judge_field="          30")))
    assert job.deck.judge == pytest.approx(0.0003)


def test_unquoted_title_ends_at_a_blank_comma_or_slash(plot, tmp_path):
    for text, name in (("beam1 further words", "beam1"), ("beam2,x", "beam2"), ("beam3/x", "beam3"),
                       ("  'it''s'", "it's"), ('"two words" x', "two words")):
        (tmp_path / "title.dat").write_text(text + "\n")
        assert plot.read_job_name(str(tmp_path / "title.dat")) == name


def test_records_that_run_over_several_lines(plot, tmp_path):
    # Seven values per record: four on the first line, three on the continuation line.
    lines = free_record([0.25, -7.466254, -5.425813, 1.5, "Infinity", "-Infinity", 2.0]) \
        + free_record([0.5, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0])
    assert len(lines) == 4 and lines[1].startswith(" ")
    job = plot.load_job(str(make_job(tmp_path / "job", hci=lines)))
    assert [r[0] for r in job.hci] == [0.25, 0.5]
    first = job.hci[0]
    assert first[1:4] == [-7.466254, -5.425813, 1.5]
    assert first[4] == math.inf and first[5] == -math.inf
    assert job.hci[1][1:] == [1.0, 2.0, 3.0, 4.0, 5.0, 6.0]


def test_cracked_records_of_varying_length(plot, tmp_path):
    hcr = free_record([0.5]) + free_record([1.0, 3]) + free_record([1.5, 1, 2, 3, 4, 5, 6]) + free_record([2.0])
    assert len(hcr) == 5  # the third record takes two lines
    ages = [0.5, 1.0, 1.5, 2.0]
    listing = []
    for a in ages:
        listing += ["", f"     *** Nstep=  2     Age={a:7.3f}***", "", f"{a:10.2f}{1:10.2f}{1:10.2f}{1:10.2f}{1:10.2f}"]
    job = plot.load_job(str(make_job(
        tmp_path / "job", hcr=hcr, listing=listing,
        hci=[line for a in ages for line in free_record([a] + [1.0] * 6)])))
    assert job.hcr == [(0.5, []), (1.0, [3]), (1.5, [1, 2, 3, 4, 5, 6]), (2.0, [])]
    assert job.first_crack_age == 1.0


@pytest.mark.parametrize("hcr, fault", [
    (free_record([0.5, 7]), "element 7 is outside 1 to NELX = 6"),
    ([" 3"], "begins with the integer 3"),
    ([" 0.5 1 2.5"], "does not begin a line"),
    ([" 0.5 x"], '"x" is not a number'),
])
def test_malformed_cracked_records_are_refused(plot, tmp_path, hcr, fault):
    with pytest.raises(plot.JobError, match="my job.hcr") as error:
        plot.load_job(str(make_job(tmp_path / "job", hcr=hcr)))
    assert fault in str(error.value)


def test_records_that_do_not_fit_the_mesh_are_refused(plot, tmp_path):
    # Records of 6 values for a mesh of 6 elements (7 values): 12 values make no whole records.
    with pytest.raises(plot.JobError, match=r"my job.hst: 12 values do not make whole records of 7"):
        plot.load_job(str(make_job(tmp_path / "a", hst=free_record([0.5] + [1.0] * 5) * 2)))
    # Records of 6 values (over two lines) read as the 4 values of NSTEEL 2: the count divides, but
    # the third record would begin inside a line.
    hwd = [" 0.5 0.0 0.1 0.2", " 0.3 0.4", " 1.0 0.0 0.1 0.2", " 0.3 0.4"]
    with pytest.raises(plot.JobError, match=r"my job.hwd: line 3: record 3 does not begin a line"):
        plot.load_job(str(make_job(tmp_path / "b", hwd=hwd)))


def test_a_job_without_bars(plot, tmp_path):
    job = plot.load_job(str(make_job(
        tmp_path / "job", nsteel=0, hss=[" 0.5", " 1.0"], hwd=[" 0.5 0.0", " 1.0 1.0E-01"])))
    assert job.deck.NSTEEL == 0 and job.deck.bars == []
    assert job.hss == [[0.5], [1.0]]
    assert job.hwd == [[0.5, 0.0], [1.0, 0.1]]


def test_listing_gives_ft_by_age_and_the_band(plot, tmp_path):
    listing = ["", "     *** Nstep=  2     Age=   .250***", "",
               "       .25      2.11       .64   5007.52       .73",
               " hmax=  .300E+04hmin=  .100E+03 u1=  .153E+00 u2=  .114E+00",
               "", "     *** Nstep=  3     Age=   .500***", "",
               "       .50      4.02****************   6910.60       .73"]
    job = plot.load_job(str(make_job(tmp_path / "job", listing=listing)))
    first, second = job.listing
    assert (first.Age, first.ft, first.hmax, first.hmin) == (0.25, 0.64, 3000.0, 100.0)
    assert second.Age == 0.5 and math.isnan(second.ft) and math.isnan(second.hmax)


def test_missing_and_malformed_files_give_status_2_and_name_the_file(plot, tmp_path, capsys):
    folder = make_job(tmp_path / "job")
    (folder / "my job.hdp").unlink()
    assert plot.main([str(folder)]) == 2
    assert "my job.hdp: file not found" in capsys.readouterr().err

    folder = make_job(tmp_path / "job2")
    (folder / "my job.hst").write_text(" 0.5 1.0 2.0 3.0\n 4.0 5.0 abc\n")
    assert plot.main([str(folder)]) == 2
    assert 'my job.hst: line 2: "abc" is not a number' in capsys.readouterr().err

    folder = make_job(tmp_path / "job3")
    (folder / "my job.dat").write_text("    1\n   12    6\n")
    assert plot.main([str(folder)]) == 2
    assert "my job.dat: record 4 (node 1 X) is missing" in capsys.readouterr().err

    assert plot.main([str(tmp_path / "nowhere")]) == 2
    assert "no such job folder" in capsys.readouterr().err

    with pytest.raises(SystemExit) as wrong:
        plot.main([str(folder), "--format", "bmp"])
    assert wrong.value.code == 2
