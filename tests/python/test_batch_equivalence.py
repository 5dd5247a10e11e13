"""The module computes what the batch mode computes: for the same files and calculation,
its spectrum prints as the batch mode's spectrum file to the last digit, its reports are
the batch mode's report files, and its tables hold the numbers the reports print."""

import numpy
import pytest

import dodavev


def module_session(examples, parameters, sample, absorber=""):
    """A session loaded as a BatchFile record loads it: parameter file, sample layer file,
    absorber layer file or none."""
    s = dodavev.Session()
    s.load_parameters(examples / parameters)
    s.load_sample(examples / sample)
    if absorber:
        s.load_absorber(examples / absorber)
    else:
        s.absorber = ""
    return s


def spectrum_file_text(result):
    # The spectrum file's layout: channel "%4.0f", five blanks, counts "%12.1f", CR LF.
    return "".join("%4.0f     %12.1f\r\n" % (c, y) for c, y in zip(result.channels,
                                                                     result.spectrum))


@pytest.mark.parametrize("calculation", ["spectrum simulation", "full spectrum (1)"])
def test_spectrum_equals_the_batch_spectrum_file(examples, batch, calculation):
    batch("spectrum.par", "spectrum.lay", "", calculation, "batch_spectrum")
    expected = (examples / "batch_spectrum.dat").read_bytes().decode("latin-1")
    result = module_session(examples, "spectrum.par", "spectrum.lay").run(calculation)
    assert result.spectrum_flag == "N"
    assert len(result.spectrum) == 600
    assert result.spectrum.max() > 0
    assert spectrum_file_text(result) == expected


def test_spectrum_fit_equals_the_batch_fit(examples, batch):
    # The fit of the shipped example: the fitted spectrum and the fit report are the batch
    # mode's files, and the fitted values are written back into the session's inputs.
    batch("fit.par", "fit.lay", "", "spectrum fit", "batch_fit")
    s = module_session(examples, "fit.par", "fit.lay")
    result = s.run("spectrum fit")
    assert result.messages == []
    assert result.report.encode("latin-1") == (examples / "batch_fit_fit.txt").read_bytes()
    assert "converged = yes" in result.report
    expected = (examples / "batch_fit.dat").read_bytes().decode("latin-1")
    assert spectrum_file_text(result) == expected
    assert result.measured.sum() > 0
    dose = float(result.report.split("dose = ")[1].split()[0])
    assert float(s["q1"]) == pytest.approx(dose, rel=1e-3)


def test_reports_equal_the_batch_report_files(examples, batch):
    batch("default.par", "default.lay", "", "depth and energy resolution", "batch_res")
    result = module_session(examples, "default.par", "default.lay").run(
        "depth and energy resolution")
    assert result.report.encode("latin-1") == (examples / "batch_res_1.dat").read_bytes()
    assert result.detail_report.encode("latin-1") == (examples / "batch_res_2.dat").read_bytes()


def report_rows(report):
    """The data lines of a report: those that start with a number."""
    rows = []
    for line in report.split("\r\n"):
        words = line.split()
        try:
            float(words[0])
        except (IndexError, ValueError):
            continue
        rows.append(line)
    return rows


# Printed columns of the main report: (value number, width, decimals), one blank apart.
MAIN_COLUMNS = [(1, 6, 1), (2, 7, 2), (3, 7, 1), (4, 7, 1), (5, 6, 1), (6, 6, 1), (26, 7, 1),
                (7, 7, 1), (8, 7, 1), (9, 7, 1), (10, 7, 1), (11, 7, 1), (12, 7, 1),
                (13, 7, 1), (14, 6, 1), (39, 7, 1)]
DETAIL_COLUMNS = [(1, 6, 1), (16, 6, 1), (17, 6, 1), (18, 6, 1), (19, 6, 1), (20, 6, 1),
                  (23, 6, 1), (27, 6, 1), (28, 6, 1), (29, 6, 1), (32, 6, 1), (35, 6, 1),
                  (36, 8, 1), (41, 8, 1)]


def printed(row, columns):
    return " ".join("%*.*f" % (w, d, row[v - 1]) for v, w, d in columns)


@pytest.mark.parametrize("parameters, sample", [("default.par", "default.lay"),
                                                ("spectrum.par", "spectrum.lay")])
def test_resolution_table_equals_the_printed_columns(examples, parameters, sample):
    result = module_session(examples, parameters, sample).run("depth and energy resolution")
    table = result.resolution
    assert table.shape[1] == 49 == len(result.resolution_columns)
    main = report_rows(result.report)
    detail = report_rows(result.detail_report)
    assert len(main) == len(detail) == table.shape[0] > 1
    for row, main_line, detail_line in zip(table, main, detail):
        assert printed(row, MAIN_COLUMNS) == main_line
        assert printed(row, DETAIL_COLUMNS) == detail_line
    # Named columns are the same numbers.
    numpy.testing.assert_array_equal(result.column("resolution", "depth"), table[:, 0])
    numpy.testing.assert_array_equal(result.column("resolution", "E_det"), table[:, 38])


def test_optimisation_table_equals_its_report(examples):
    result = module_session(examples, "optimization.par", "default.lay").run("optimization")
    table = result.optimisation
    rows = report_rows(result.report)
    assert table.shape[0] == len(rows) > 0
    assert table.shape[1] == len(result.optimisation_columns)
    for row, line in zip(table, rows):
        assert "".join(" %8.3f" % v for v in row) == line


def test_excitation_table_equals_its_report(examples):
    result = module_session(examples, "resonance.par", "default.lay").run(
        "excitation curves for resonances")
    table = result.excitation
    rows = report_rows(result.report.split("[nm]  | [keV]  |", 1)[-1])
    assert table.shape == (len(rows), 11)
    for row, line in zip(table, rows):
        assert "".join(" %8.1f" % v for v in row) == line
    # One row per beam energy from rezmin to rezmax in steps of estep.
    s = module_session(examples, "resonance.par", "default.lay")
    lo, hi, step = (float(s[n]) for n in ("rezmin", "rezmax", "estep"))
    numpy.testing.assert_allclose(result.column("excitation", "E_in"),
                                  numpy.arange(lo, hi + step / 2, step))


def test_absorber_tables(session):
    session.absorber = "A=6000\nn=6.0e22\nal,1\n"
    loss = session.run("energy loss")
    assert loss.energy_loss.shape[1] == 4 and loss.energy_loss.shape[0] > 2
    depth, energy = loss.energy_loss[:, 0], loss.energy_loss[:, 1]
    assert depth[0] == 0 and energy[0] == float(session["e0"])
    assert numpy.all(numpy.diff(depth) > 0) and numpy.all(numpy.diff(energy) < 0)
    tschalar = session.run("Tschalar effect")
    assert tschalar.tschalar.shape[1] == 5 and tschalar.tschalar.shape[0] > 2
    e_in, e_out = tschalar.tschalar[:, 0], tschalar.tschalar[:, 1]
    assert e_in[0] == 60000.0  # the first entry energy of the report
    assert numpy.all(e_out <= e_in)
    # Without a foil both say so and leave no table.
    session.absorber = ""
    empty = session.run("energy loss")
    assert empty.energy_loss.shape == (0, 4)
    assert any("Please define absorbens" in m for m in empty.messages)
