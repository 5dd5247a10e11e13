"""Parameter, layer and spectrum files through the module: what is saved reads back, and a
file that cannot be read or written raises OSError with the program's "#" + code text."""

import errno

import pytest

import dodavev


def test_parameter_file_round_trip(session, tmp_path):
    session["e0"] = 2345
    session["CheckMS"] = False
    session["RadioButton4"] = True
    path = tmp_path / "run.par"
    assert session.save_parameters(path) == []
    other = dodavev.Session()
    other.load_parameters(str(path))
    assert (other["e0"], other["CheckMS"], other["RadioButton3"]) == ("2345", False, False)


def test_layer_files_round_trip(session, tmp_path):
    session.sample = "A=100\nn=5.9e22\nau,1\nS=\nn=4.98e22\nsi,1\n"
    session.absorber = "A=6000\nn=6.0e22\nal,1\n"
    session.save_sample(tmp_path / "s.lay")
    session.save_absorber(tmp_path / "a")  # the ending becomes .lay
    other = dodavev.Session()
    other.load_sample(tmp_path / "s.lay")
    other.load_absorber(tmp_path / "a.lay")
    assert other.sample == session.sample
    assert other.absorber == session.absorber
    assert other["samplefile"] != "Samplefile"


@pytest.mark.parametrize("action", ["load_parameters", "load_sample", "load_absorber",
                                    "load_measured_spectrum"])
def test_missing_files_raise_os_error(session, tmp_path, action):
    missing = tmp_path / "missing.txt"
    with pytest.raises(OSError) as caught:
        getattr(session, action)(missing)
    assert caught.value.errno == errno.ENOENT
    assert str(caught.value.strerror).startswith("#%d" % errno.ENOENT)


def test_save_into_a_missing_folder_raises_os_error(session, tmp_path):
    with pytest.raises(OSError) as caught:
        session.save_parameters(tmp_path / "no" / "such" / "folder" / "run.par")
    assert str(caught.value.strerror).startswith("#")
    with pytest.raises(OSError):
        session.save_sample(tmp_path / "no" / "such.lay")


def test_measured_spectrum_with_text_is_refused(session, tmp_path):
    bad = tmp_path / "bad.txt"
    bad.write_text("1 10\n2 abc\n")
    with pytest.raises(dodavev.InputError) as caught:
        session.load_measured_spectrum(bad)
    assert caught.value.messages
    assert session["measured_spectrum_file"] == ""


def test_data_file_lists_round_trip_through_a_parameter_file(session, tmp_path):
    assert set(session.data_files) == {"stopping", "elastic", "recoil", "reaction"}
    entries = [(" 4 HE    /data/he_in_si.txt", False), (" 1 H     /data/h_in_si.txt", True)]
    session.data_files = {"stopping": entries, "reaction": ["Theta=150; 12 C (1 H,4 HE)9 BE; level=0;    r.txt"]}
    assert session.data_files["stopping"] == entries
    assert session.data_files["reaction"][0][1] is True
    session.save_parameters(tmp_path / "lists.par")
    other = dodavev.Session()
    other.load_parameters(tmp_path / "lists.par")
    assert other.data_files == session.data_files


@pytest.mark.parametrize("lists, error", [
    ({"stoping": []}, KeyError),
    ({"stopping": [("a", 1)]}, TypeError),
    ({"stopping": ["two\nlines"]}, dodavev.InputError),
    ({"stopping": [3]}, RuntimeError),
])
def test_bad_data_file_lists_are_refused(session, lists, error):
    before = session.data_files
    with pytest.raises((error, TypeError)):
        session.data_files = lists
    assert session.data_files == before


def test_a_folder_is_no_parameter_file(session, tmp_path):
    with pytest.raises(OSError) as caught:
        session.load_parameters(tmp_path)
    assert str(caught.value.strerror).startswith("#")
