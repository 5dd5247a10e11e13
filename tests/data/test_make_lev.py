"""Checks of tools/make_lev.py against independently derived values.

Run from anywhere:  python3 -m unittest discover -s tests/data -p 'test_*.py'

The files are generated once into a temporary directory and read back with a
small reader written here from the file rules (free-format numbers, line skips),
not with the generator's own code. Reference values come from published tables
(NIST PSTAR/ASTAR, Yang et al. 1991, nuclear level compilations) or are worked
out by hand in the comments.
"""

import math
import os
import shutil
import sys
import tempfile
import unittest

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tools"))
import make_lev  # noqa: E402

SOURCES = os.path.join(REPO, "data", "sources")
OUT = None


def setUpModule():
    global OUT
    OUT = tempfile.mkdtemp(prefix="make_lev_test_")
    make_lev.write_directory(OUT, SOURCES)


def tearDownModule():
    shutil.rmtree(OUT, ignore_errors=True)


def read_bytes(name):
    with open(os.path.join(OUT, name), "rb") as f:
        return f.read()


def rows(name):
    """Lines split into float fields (the file must be CR LF throughout)."""
    text = read_bytes(name).decode("ascii")
    assert text.endswith("\r\n"), name
    lines = text.split("\r\n")[:-1]
    return [[float(t) for t in line.split()] for line in lines]


class FreeFormatReader:
    """Reads STOP.DAT the way the element reader does: the symbol is the first
    character in 'A'..'z' or '.', plus the next character; numbers skip blanks,
    tabs and line ends; 'skip line' drops the rest of the current line."""

    def __init__(self, text):
        self.s, self.i = text, 0

    def symbol(self):
        while self.i < len(self.s):
            c = self.s[self.i]
            self.i += 1
            if 65 <= ord(c) <= 122 or c == ".":
                second = self.s[self.i]
                self.i += 1
                return (c + second).upper()
        return None

    def number(self):
        while self.s[self.i] in " \t\r\n":
            self.i += 1
        j = self.i
        while j < len(self.s) and self.s[j] not in " \t\r\n":
            j += 1
        token, self.i = self.s[self.i:j], j
        return token

    def real(self):
        return float(self.number())

    def integer(self):
        token = self.number()
        self.assert_int(token)
        return int(token)

    @staticmethod
    def assert_int(token):
        if not token.lstrip("+-").isdigit():
            raise ValueError(f"{token!r} is not an integer")

    def skip_line(self):
        j = self.s.find("\n", self.i)
        self.i = len(self.s) if j < 0 else j + 1


def read_stop_dat():
    r = FreeFormatReader(read_bytes("STOP.DAT").decode("ascii"))
    table = {}
    while True:
        sym = r.symbol()
        if sym is None:
            return table
        z = r.integer()
        rec = {"symbol": sym}
        rec["he"] = [r.real() for _ in range(5)]
        r.skip_line()
        rec["he"] += [r.real() for _ in range(4)]
        r.skip_line()
        rec["proton"] = [r.real() for _ in range(8)]
        n = r.integer()
        rec["isotopes"] = [(r.real(), r.real()) for _ in range(n)]
        rec["unused"] = (r.real(), r.real())
        r.skip_line()
        rec["default_a"] = r.integer()
        rec["mass"] = r.real()
        r.real()
        r.skip_line()
        rec["vfermi"], rec["lambda"] = r.real(), r.real()
        r.skip_line()
        table[z] = rec


class StopDatTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.t = read_stop_dat()

    def test_every_element_once_with_stored_symbol(self):
        self.assertEqual(sorted(self.t), list(range(1, 93)))
        self.assertEqual(self.t[1]["symbol"], "H ")     # one letter keeps a blank
        self.assertEqual(self.t[14]["symbol"], "SI")
        self.assertEqual(self.t[92]["symbol"], "U ")

    def test_crlf_line_ends_and_six_lines_per_element(self):
        data = read_bytes("STOP.DAT")
        self.assertEqual(data.count(b"\n"), data.count(b"\r\n"))
        self.assertEqual(data.count(b"\r\n"), 6 * 92)

    def test_abundances_add_up_to_one(self):
        for z, rec in self.t.items():
            if rec["isotopes"]:
                total = sum(a for _, a in rec["isotopes"])
                self.assertAlmostEqual(total, 1.0, delta=1e-4, msg=f"Z = {z}")

    def test_isotope_counts_beyond_five(self):
        # Natural isotopes: Sn 112,114,115,116,117,118,119,120,122,124 (ten);
        # Mo 92,94,95,96,97,98,100 (seven); Xe nine.
        def mass_numbers(z):
            return [round(m) for m, _ in self.t[z]["isotopes"]]
        self.assertEqual(mass_numbers(50), [112, 114, 115, 116, 117, 118, 119, 120, 122, 124])
        self.assertEqual(mass_numbers(42), [92, 94, 95, 96, 97, 98, 100])
        self.assertEqual(len(mass_numbers(54)), 9)
        self.assertLessEqual(max(len(r["isotopes"]) for r in self.t.values()), 10)

    def test_default_mass_number_is_most_abundant_isotope(self):
        for z, a in ((1, 1), (6, 12), (14, 28), (26, 56), (29, 63), (50, 120), (79, 197),
                     (82, 208), (92, 238)):
            self.assertEqual(self.t[z]["default_a"], a, msg=f"Z = {z}")

    def test_element_without_natural_composition(self):
        # Tc: no stable isotope; no natural isotope is listed, the default mass
        # number and the mass are those of 98Tc.
        tc = self.t[43]
        self.assertEqual(tc["isotopes"], [])
        self.assertEqual(tc["default_a"], 98)
        self.assertAlmostEqual(tc["mass"], 97.907, places=3)

    def test_atomic_mass_near_isotope_mean(self):
        # A misplaced field would be far off; the standard atomic weight and the
        # composition mean differ by at most 0.02 amu (Pb).
        for z, rec in self.t.items():
            if rec["isotopes"]:
                mean = sum(m * a for m, a in rec["isotopes"])
                self.assertAlmostEqual(rec["mass"], mean, delta=0.02, msg=f"Z = {z}")

    def helium_stopping(self, z, e_kev):
        a = self.t[z]["he"]
        he = e_kev / 1000.0              # 4 amu ion: e / (250 * 4)
        s_low = a[0] * e_kev ** a[1]
        s_high = a[2] / he * math.log(1 + a[3] / he + a[4] * he)
        return 1.0 / (1.0 / s_low + 1.0 / s_high)

    def proton_stopping(self, z, pe):
        a = self.t[z]["proton"]
        s_low = a[0] * pe ** a[1] + a[2] * pe ** a[3]
        s_high = a[4] * pe ** (-a[5]) * math.log(a[6] / pe + a[7] * pe)
        return s_low * s_high / (s_low + s_high)

    def test_stopping_coefficients_in_their_slots(self):
        # NIST ASTAR / PSTAR electronic stopping, eV/(1e15 atoms/cm2): He in Si at
        # 2 MeV 47.71, He in Au at 2 MeV 113.43, p in Si at 1 MeV 8.18. The ZBL
        # fits lie within a few per cent; a shifted coefficient would not.
        self.assertAlmostEqual(self.helium_stopping(14, 2000.0) / 47.71, 1.0, delta=0.02)
        self.assertAlmostEqual(self.helium_stopping(79, 2000.0) / 113.43, 1.0, delta=0.05)
        self.assertAlmostEqual(self.proton_stopping(14, 1000.0 / 1.00728) / 8.18, 1.0,
                               delta=0.03)

    def test_fermi_velocity_and_lambda(self):
        # ZBL-85: vF of Si 0.97411, screening factor of Si as an ion 0.88.
        self.assertEqual(self.t[14]["vfermi"], 0.97411)
        self.assertEqual(self.t[14]["lambda"], 0.88)


class ChuParameterTest(unittest.TestCase):
    def test_lines_and_order(self):
        r = rows("chupar.dat")
        self.assertEqual(len(r), 91)
        self.assertEqual([int(x[0]) for x in r], list(range(2, 93)))
        self.assertTrue(all(len(x) == 5 for x in r))

    def test_closed_form_follows_yang_curve(self):
        # Yang, O'Connor, Wang, NIM B 61 (1991) 149, Table 1: H = 1/(1 + A1 u^A2 +
        # A3 u^A4). The closed form of the file, 1 + c3 u^c4 exp(-|c1| u) -
        # exp(-|c2| u), was fitted to it within 0.06 for u = 0.01..10 MeV/amu.
        yang = {}
        import csv
        with open(os.path.join(SOURCES, "straggling", "chu_yang_coefficients.csv")) as f:
            for row in csv.DictReader(f):
                yang[int(row["Z2"])] = [float(row[f"A{i}"]) for i in range(1, 5)]
        for line in rows("chupar.dat"):
            z, c1, c2, c3, c4 = line
            a1, a2, a3, a4 = yang[int(z)]
            for k in range(41):
                u = 10 ** (-2 + 3 * k / 40)
                fit = 1 + c3 * u ** c4 * math.exp(-abs(c1) * u) - math.exp(-abs(c2) * u)
                ref = 1 / (1 + a1 * u ** a2 + a3 * u ** a4)
                self.assertAlmostEqual(fit, ref, delta=0.065, msg=f"Z2 = {int(z)} u = {u}")


def half_width(tau):
    """Reduced half-width angle, written out once more from the fit formula."""
    if tau <= 1e-10:
        return 0.0
    if tau > 2000:
        return math.exp(0.329) * tau ** 0.5731
    x = math.log(tau)
    return math.exp(0.03047063 + 1.202286 * x
                    - 2.2504866154811323 * math.log(math.cosh(0.2795842 * x + 0.5557522)))


class TaufijTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.r = rows("TAUFIJ.DAT")

    def test_each_thickness_gives_its_grid_angle(self):
        self.assertEqual(len(self.r), 338)
        for k, line in enumerate(self.r, 1):
            expected = -11.9 + 0.05 * (k - 1)
            self.assertAlmostEqual(math.log(half_width(line[0])), expected, delta=1e-8,
                                   msg=f"line {k}")

    def test_thickness_rises_along_the_table(self):
        taus = [x[0] for x in self.r]
        self.assertTrue(all(b > a for a, b in zip(taus, taus[1:])))

    def test_lagrange_lookup_recovers_unit_thickness(self):
        # tau = 1 by hand: ln alpha = 0.03047063 - 2.2504866 ln cosh(0.5557522)
        #   cosh(0.5557522) = 1.1584462, ln = 0.1470796 -> ln alpha = -0.3005301.
        # The four-point Lagrange lookup in ln tau (nodes -11.9 + 0.05 k) must give
        # ln tau = 0 to well within the interpolation error.
        lam = -0.3005301
        i = max(int((lam + 11.9) / 0.05) - 1, 0)
        xs = [0.05 * k - 11.9 for k in range(i, i + 4)]
        ys = [math.log(self.r[k][0]) for k in range(i, i + 4)]
        value = 0.0
        for j in range(4):
            w = 1.0
            for m in range(4):
                if m != j:
                    w *= (lam - xs[m]) / (xs[j] - xs[m])
            value += w * ys[j]
        self.assertAlmostEqual(value, 0.0, delta=1e-6)


class RutherfordTableTest(unittest.TestCase):
    # Atomic masses (AME2016 via NIST): 1H 1.00782503, 4He 4.00260325, 12C 12,
    # 28Si 27.97692653. e^2 = 1.43996 MeV fm.
    M = {"p": 1.00782503223, "a": 4.00260325413, "C": 12.0, "Si": 27.97692653465}

    @staticmethod
    def through_cm_frame(z1, m1, z2, m2, e_kev, theta_lab):
        """Centre-of-mass Rutherford formula, transformed to the lab."""
        g = m1 / m2
        th = math.radians(theta_lab)
        th_cm = th + math.asin(g * math.sin(th))
        e_cm = e_kev / 1000 * m2 / (m1 + m2)
        s_cm = (z1 * z2 * 1.43996 / (4 * e_cm)) ** 2 / math.sin(th_cm / 2) ** 4
        jac = (1 + g * g + 2 * g * math.cos(th_cm)) ** 1.5 / abs(1 + g * math.cos(th_cm))
        return s_cm * jac * 10.0     # fm^2 -> mb

    def test_hand_value_carbon_alpha(self):
        # 12C(4He,4He) at 165 deg, 2000 keV, worked by hand:
        #   g = 4.0026/12 = 0.333550, g sin165 = 0.0863277, root = sqrt(1 - 0.0074525)
        #   = 0.996267; (cos165 + root)^2 / root = (0.0303410)^2 / 0.996267 = 9.2403e-4;
        #   4 / sin^4 165 = 4 / 0.0044873 = 891.40; (2*6*1.43996/(4*2))^2 = 4.6654 fm^2
        #   -> 4.6654 * 891.40 * 9.2403e-4 = 3.8428 fm^2/sr = 38.43 mb/sr.
        line = rows("che165.txt")[0]
        self.assertEqual(line[0], 2000.0)
        self.assertAlmostEqual(line[2], 38.43, delta=0.01)
        self.assertAlmostEqual(line[1], 165 + math.degrees(math.asin(0.0863277)), delta=1e-3)

    def test_tables_agree_with_cm_frame_formula(self):
        cases = (("cp165.txt", 1, "p", 6, "C", 165.0, 1),
                 ("sip165.txt", 1, "p", 14, "Si", 165.0, 1),
                 ("hep167.txt", 1, "p", 2, "a", 167.0, 1),
                 ("che165.txt", 2, "a", 6, "C", 165.0, 2))
        for name, z1, p, z2, t, theta, col in cases:
            r = rows(name)
            self.assertEqual(len(r), 190 if name == "che165.txt" else 2500)
            for line in r[:: 37]:
                ref = self.through_cm_frame(z1, self.M[p], z2, self.M[t], line[0], theta)
                self.assertAlmostEqual(line[col] / ref, 1.0, delta=2e-5, msg=f"{name} {line}")

    def test_energies_rise_and_sigma_falls_as_inverse_square(self):
        for name in ("cp165.txt", "sip165.txt", "hep167.txt"):
            r = rows(name)
            self.assertTrue(all(b[0] > a[0] for a, b in zip(r, r[1:])))
            first, last = r[0], r[-1]
            self.assertAlmostEqual(first[1] * first[0] ** 2 / (last[1] * last[0] ** 2), 1.0,
                                   delta=1e-5)


class LevelFileTest(unittest.TestCase):
    def levels(self, name):
        r = rows(name)
        count = int(r[0][0])
        self.assertEqual(len(r), count + 1, name)
        return [x[0] for x in r[1:]]

    def test_names_use_the_two_character_symbol(self):
        names = [n for n in os.listdir(OUT) if n.endswith(".lev")]
        self.assertIn("C 13.lev", names)
        self.assertIn("SI28.lev", names)
        self.assertNotIn("C13.lev", names)
        self.assertTrue(all(n[:2].upper() == n[:2] for n in names))

    def test_known_levels(self):
        # 13C: 3.0894 MeV (Ajzenberg-Selove 1991); 16O: 6.0494, 6.1299 MeV and
        # 12C: 4.43982 MeV (Tilley et al. 1993; Ajzenberg-Selove 1990).
        c13 = self.levels("C 13.lev")
        self.assertEqual(c13[0], 0.0)
        self.assertAlmostEqual(c13[1], 3.0894, delta=1e-3)
        o16 = self.levels("O 16.lev")
        self.assertAlmostEqual(o16[1], 6.0494, delta=1e-3)
        self.assertAlmostEqual(o16[2], 6.1299, delta=1e-3)
        self.assertAlmostEqual(self.levels("C 12.lev")[1], 4.43982, delta=1e-4)

    def test_every_file_counts_its_lines_and_starts_at_ground_state(self):
        for name in os.listdir(OUT):
            if name.endswith(".lev"):
                lv = self.levels(name)
                self.assertEqual(lv[0], 0.0, name)
                self.assertTrue(all(b >= a for a, b in zip(lv, lv[1:])), name)


class ReproducibilityTest(unittest.TestCase):
    def test_second_run_is_byte_identical(self):
        other = tempfile.mkdtemp(prefix="make_lev_test2_")
        try:
            names = make_lev.write_directory(other, SOURCES)
            self.assertEqual(sorted(names), sorted(os.listdir(OUT)))
            for n in names:
                with open(os.path.join(other, n), "rb") as f:
                    self.assertEqual(f.read(), read_bytes(n), n)
        finally:
            shutil.rmtree(other, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
