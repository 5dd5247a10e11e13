"""Numbers of the module's results checked against the physics they come from, computed
here by hand from the textbook formulas."""

import math

import numpy

import dodavev


def kinematic_factor(m1, m2, theta_deg):
    """Elastic scattering: E1/E0 = ((sqrt(M2^2 - M1^2 sin^2 theta) + M1 cos theta) /
    (M1 + M2))^2 (Chu, Mayer, Nicolet, Backscattering Spectrometry, 1978, eq. 2.5)."""
    t = math.radians(theta_deg)
    return ((math.sqrt(m2 ** 2 - (m1 * math.sin(t)) ** 2) + m1 * math.cos(t)) / (m1 + m2)) ** 2


def test_surface_energy_is_the_kinematic_factor_times_the_beam_energy(session):
    # Defaults: 3100 keV 4He scattered by 12C at 165 deg; the masses are the typed mass
    # numbers. At depth 0 no energy is lost: E_det = K E0 = 0.25576 * 3100 = 792.8 keV.
    r = session.run("depth and energy resolution")
    e_det = r.column("resolution", "E_det")[0]
    expected = kinematic_factor(4, 12, 165) * 3100
    assert abs(e_det - expected) < 1e-6 * expected
    assert r.column("resolution", "depth")[0] == 0.0


def test_gold_edge_lies_at_the_kinematic_energy(examples):
    # 2000 keV 4He on gold at 170 deg (the spectrum example): the gold signal's high-energy
    # edge at K E0 = 0.9232 * 2000 = 1846 keV (mass numbers 4 and 197; the isotope masses
    # would move it by less than 0.1 keV). Within two channels of 7.03 keV and half the
    # detector resolution of 16 keV FWHM.
    s = dodavev.Session()
    s.load_parameters(examples / "spectrum.par")
    s.load_sample(examples / "spectrum.lay")
    r = s.run("full spectrum (1)")
    edge = kinematic_factor(4, 197, 170) * 2000
    peak = r.spectrum.max()
    above = r.energies[r.spectrum > peak / 2]
    assert abs(above.max() - edge) < 2 * 7.03 + 8


def test_channel_energies_follow_the_calibration(session):
    # Channel c lies at dete0 + c * detkevch: 185.88 + 7.03 c keV by default.
    session.sample = "A=300\nn=5.9e22\nau,1\nS=\nn=4.98e22\nsi,1\n"
    r = session.run("spectrum simulation")
    numpy.testing.assert_allclose(r.energies, 185.88 + 7.03 * r.channels, rtol=0, atol=1e-9)
    assert r.channels[0] == 1 and len(r.channels) == 600
