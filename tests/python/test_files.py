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
