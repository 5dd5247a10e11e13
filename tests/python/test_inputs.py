"""Inputs by name: defaults, numbers and texts, switches, and the refusals a script hears
as exceptions carrying the program's own texts."""

import math

import pytest

import dodavev


def test_defaults_are_the_programs_start_up_inputs(session):
    assert session["e0"] == "3100"
    assert session["Edit1_e0"] == "3100"
    assert session["th"] == "165"
    assert session.sample == "S=\nn=9.64e22\nc,1\nsi,1\n"
    assert session.absorber == ""
    assert session["CheckMS"] is True
    assert session["RadioButton_ZBL92"] is True
    assert session["screening"] == "Screening"
    assert session.startup_messages == []


def test_every_listed_input_reads_back():
    s = dodavev.Session()
    listed = dodavev.inputs()
    assert [name for name, *_ in listed] == s.keys()
    for name, control, kind, _caption, _choices in listed:
        value = s[name]
        assert s[control] == value
        assert isinstance(value, bool) == (kind in ("check box", "radio button")), name


@pytest.mark.parametrize("name, value, text", [
    ("e0", 2000, "2000"), ("e0", 2000.0, "2000.0"), ("e0", "2e3", "2e3"),
    ("e0", 1e5, "100000.0"), ("x", 0.05, "0.05"), ("itlength", 1e17, "1e+17"),
])
def test_numbers_are_stored_as_their_text(session, name, value, text):
    session[name] = value
    assert session[name] == text


def test_numpy_numbers_are_numbers(session):
    numpy = pytest.importorskip("numpy")
    session["x"] = numpy.float64(0.02)
    session["channels"] = numpy.int64(1024)
    session["CheckMS"] = numpy.bool_(False)
    assert (session["x"], session["channels"], session["CheckMS"]) == ("0.02", "1024", False)


def test_radio_buttons_keep_one_of_their_pair(session):
    session["RadioButton1"] = True
    assert (session["RadioButton1"], session["RadioButton2"]) == (True, False)
    session["RadioButton1"] = False
    assert (session["RadioButton1"], session["RadioButton2"]) == (False, True)


def test_master_switch_clears_the_contributions(session):
    session["CheckNothing"] = True
    assert not any(session[n] for n in ("CheckMS", "CheckStraggling", "CheckDet", "CheckAll"))


@pytest.mark.parametrize("name", ["E0", "", " e0", "Edit1_", "nonsense", "e0\x00"])
def test_unknown_names_raise_key_error(session, name):
    with pytest.raises(KeyError, match="unknown input"):
        session[name]
    with pytest.raises(KeyError, match="unknown input"):
        session[name] = "1"
    assert name not in session


# Ranges from the program's table of physical ranges (e0 1 to 1e+06 keV, channels 1 to
# 16384, c3 0 to 1); the texts are the program's refusals.
@pytest.mark.parametrize("name, value, message", [
    ("e0", "abc", "e0 = abc is not a number"),
    ("e0", "", 'e0 = "" is not a number'),
    ("e0", "1e400", "e0 = 1e400 is not a number"),
    ("e0", math.nan, "e0 = nan is not a number"),
    ("e0", 5e7, "e0 = 50000000.0 is outside the range of incident energy (keV), 1 to 1e+06"),
    ("c3", 1.5, "c3 = 1.5 is outside the range of isotopic abundance, 0 to 1"),
    ("channels", 2.5, "channels = 2.5 is not a whole number"),
    ("channels", 0, "channels = 0 is outside the range of number of channels, 1 to 16384"),
    ("screening", "Lecuer",
     "screening = Lecuer is not one of the choices \"no screening\", \"L'Ecuer screening\""),
    ("Label_iba", "ERD", "Label_iba is written by the program and cannot be set"),
])
def test_refused_values_raise_input_error_with_the_message(session, name, value, message):
    before = session[name]
    with pytest.raises(dodavev.InputError) as caught:
        session[name] = value
    assert caught.value.messages == [message]
    assert str(caught.value) == message
    assert isinstance(caught.value, ValueError)
    assert session[name] == before


@pytest.mark.parametrize("name, value", [
    ("e0", None), ("e0", True), ("e0", [1]), ("sample", 3), ("CheckMS", 1), ("CheckMS", "TRUE"),
    ("RadioButton1", None),
])
def test_values_of_the_wrong_kind_raise_type_error(session, name, value):
    with pytest.raises(TypeError):
        session[name] = value


def test_range_refusal_reads_as_the_one_ok_shows(session):
    # Set unchecked, as typed into the window: "OK" refuses it with the same text and says
    # what it takes instead (the default 3100).
    with pytest.raises(dodavev.InputError) as caught:
        session.set("e0", "5e7")
    session.set("e0", "5e7", check=False)
    messages = session.ok()
    assert str(caught.value) + "; 3100 is used instead" in messages
    assert "Problem with the parameters" in messages
    assert session["e0"] == "5e7"  # the typed text stays for the user to correct


def test_ok_with_check_raises_the_messages(session):
    session.set("e0", "abc", check=False)
    with pytest.raises(dodavev.InputError) as caught:
        session.ok(check=True)
    assert "Problem with the parameters" in caught.value.messages
    with pytest.raises(dodavev.InputError):
        session.run("depth and energy resolution", check=True)


def test_defaults_pass_ok_and_derive_the_solid_angle(session):
    assert session.ok(check=True) == []
    # Circular diaphragm 8 mm at 100 mm: pi * 8**2 / 4 / 100**2 sr = 5.0265 msr, shown
    # to three significant digits with three decimals.
    assert session["solid_angle"] == "5.030"


@pytest.mark.parametrize("sample", [
    "", "\x00\x01", "S=\nn=abc\nzz,1\n", "S=\nn=5e22\nsi,-1\n", "A=1e300\nn=1e-300\nau,1\n",
    "x" * 100000,
])
def test_bad_samples_are_reported_never_a_crash(session, sample):
    session.sample = sample
    messages = session.ok()
    assert messages, "a sample the program cannot use is reported"
    for name in dodavev.calculations():
        result = session.run(name)
        assert isinstance(result.report, str)


def test_unknown_calculation_names_the_seven(session):
    with pytest.raises(ValueError) as caught:
        session.run("depth resolution")
    text = str(caught.value)
    assert text.startswith('unknown calculation name "depth resolution"; the names are ')
    for name in dodavev.calculations():
        assert '"' + name + '"' in text


def test_jobs_are_checked(session):
    session.jobs = 2
    assert session.jobs == 2
    with pytest.raises(ValueError):
        session.jobs = -1
