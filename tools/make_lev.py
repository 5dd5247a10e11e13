#!/usr/bin/env python3
"""Generate the start-up data directory LEV from the public source tables.

Usage:  python3 tools/make_lev.py OUTDIR [--sources DIR]

Reads the CSV tables under data/sources (each folder documents its origin in
SOURCES.md) and writes, into OUTDIR:

  STOP.DAT     element table: stopping coefficients, isotopes, masses, Fermi
               velocity and screening-length factor of Z = 1..92
  chupar.dat   Chu straggling-correction parameters c1..c4 of Z = 2..92
  TAUFIJ.DAT   reduced thickness against reduced half-width angle (multiple
               scattering), by numerical inversion of the half-width formula
  FMT.DAT      widths and shapes of convolved Pearson VII densities (multiple-
               scattering folding), from tools/make_fmt.py
  cp165.txt, sip165.txt, hep167.txt, che165.txt
               Rutherford cross-section tables (read at start-up, used by no
               calculation)
  <SY><A>.lev  nuclear level energies of every nucleus in levels.csv

Every file is 8-bit text with CR LF line ends. The output is a pure function
of the source tables: running the tool twice gives byte-identical files.
data/README.md explains where every number comes from.

Standard library only.
"""

import argparse
import csv
import math
import os
import re
import sys

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_SOURCES = os.path.join(REPO_ROOT, "data", "sources")

ELEMENT_COUNT = 92
# The element reader accepts up to ten isotopes per element (tin has ten natural
# isotopes; a limit of five would drop a fifth of molybdenum's atoms).
MAX_ISOTOPES = 10

# Numbers as the locale-free reader accepts them: optional sign, digits with "."
# as decimal point, optional exponent.
NUMBER_RE = re.compile(r"^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$")
INTEGER_RE = re.compile(r"^[+-]?\d+$")


class SourceError(Exception):
    """A source table is missing, malformed or inconsistent."""


# ---------------------------------------------------------------------------
# Reading the source tables
# ---------------------------------------------------------------------------

def read_csv(sources, relpath):
    path = os.path.join(sources, relpath)
    with open(path, newline="", encoding="ascii") as f:
        rows = list(csv.DictReader(f))
    if not rows:
        raise SourceError(f"{relpath}: no rows")
    return rows


def number_text(text, where):
    """A source number kept exactly as written (no float round trip)."""
    text = text.strip()
    if not NUMBER_RE.match(text):
        raise SourceError(f"{where}: {text!r} is not a plain number")
    return text


def integer_text(text, where):
    text = text.strip()
    if not INTEGER_RE.match(text):
        raise SourceError(f"{where}: {text!r} is not an integer")
    return text


def by_z(rows, relpath, zkey="Z", first=1, last=ELEMENT_COUNT):
    """Rows keyed by atomic number, requiring exactly first..last in order."""
    zs = [int(r[zkey]) for r in rows]
    if zs != list(range(first, last + 1)):
        raise SourceError(f"{relpath}: expected Z = {first}..{last} in order")
    return {int(r[zkey]): r for r in rows}


def stored_symbol(symbol):
    """The two-character key of the element table: upper case, blank-padded."""
    s = symbol.strip().upper()
    if not (1 <= len(s) <= 2 and s.isalpha()):
        raise SourceError(f"bad element symbol {symbol!r}")
    return s.ljust(2)


def load_elements(sources):
    """Everything STOP.DAT needs, per Z, with the source texts of the numbers."""
    elements = by_z(read_csv(sources, "isotopes/elements.csv"), "elements.csv")
    helium = by_z(read_csv(sources, "stopping/helium_coefficients.csv"),
                  "helium_coefficients.csv")
    proton = by_z(read_csv(sources, "stopping/proton_coefficients.csv"),
                  "proton_coefficients.csv")
    fermi = by_z(read_csv(sources, "stopping/fermi_lambda.csv"), "fermi_lambda.csv")

    isotopes = {z: [] for z in range(1, ELEMENT_COUNT + 1)}
    for r in read_csv(sources, "isotopes/isotopes.csv"):
        z = int(r["Z"])
        if z not in isotopes:
            raise SourceError(f"isotopes.csv: Z = {z} outside 1..{ELEMENT_COUNT}")
        isotopes[z].append(r)

    table = []
    for z in range(1, ELEMENT_COUNT + 1):
        e = elements[z]
        symbol = e["symbol"]
        for name, rows in (("helium", helium), ("proton", proton), ("fermi", fermi)):
            if rows[z]["symbol"] != symbol:
                raise SourceError(f"Z = {z}: symbol {rows[z]['symbol']!r} in the {name} "
                                  f"table, {symbol!r} in elements.csv")
        where = f"Z = {z} ({symbol})"
        he = [number_text(helium[z][f"A{i}"], where) for i in range(1, 10)]
        pr = [number_text(proton[z][f"A{i}"], where) for i in range(1, 9)]

        listed = isotopes[z]
        if not listed:
            raise SourceError(f"{where}: no isotope listed")
        for r in listed:
            if r["symbol"] != symbol:
                raise SourceError(f"{where}: isotope row with symbol {r['symbol']!r}")
            # The element reader derives each mass number by rounding the mass.
            if round(float(r["isotope_mass_amu"])) != int(r["mass_number"]):
                raise SourceError(f"{where}: mass {r['isotope_mass_amu']} does not round "
                                  f"to {r['mass_number']}")
        natural = [r for r in listed if float(r["abundance"]) > 0.0]
        if len(natural) > MAX_ISOTOPES:
            raise SourceError(f"{where}: {len(natural)} natural isotopes, more than "
                              f"{MAX_ISOTOPES}")
        if len(natural) != int(e["isotope_count"]):
            raise SourceError(f"{where}: isotope count disagrees with elements.csv")

        if natural:
            total = sum(float(r["abundance"]) for r in natural)
            if abs(total - 1.0) > 1e-4:
                raise SourceError(f"{where}: abundances add up to {total}")
            best = max(float(r["abundance"]) for r in natural)
            top = [r for r in natural if float(r["abundance"]) == best]
            if len(top) != 1:
                raise SourceError(f"{where}: no single most abundant isotope")
            default_a = int(top[0]["mass_number"])
        else:
            # No natural composition (Tc, Pm, Po, At, Rn, Fr, Ra, Ac): the source lists
            # one long-lived isotope with abundance 0. It gives the default mass number
            # and the mass; the element has no natural isotope to list.
            if len(listed) != 1:
                raise SourceError(f"{where}: expected exactly one listed isotope")
            default_a = int(listed[0]["mass_number"])
        if default_a != int(e["most_abundant_mass_number"]):
            raise SourceError(f"{where}: most abundant mass number disagrees with "
                              "elements.csv")

        table.append({
            "Z": z,
            "symbol": stored_symbol(symbol),
            "he": he,
            "proton": pr,
            "isotopes": [(number_text(r["isotope_mass_amu"], where),
                          number_text(r["abundance"], where)) for r in natural],
            "default_mass_number": str(default_a),
            "atomic_mass": number_text(e["atomic_mass_amu"], where),
            "fermi_velocity": number_text(fermi[z]["vfermi"], where),
            "lambda_factor": number_text(fermi[z]["lambda_factor"], where),
        })
    return table


# ---------------------------------------------------------------------------
# STOP.DAT
# ---------------------------------------------------------------------------

def stop_dat_lines(elements):
    """Six lines per element, in the order the element reader consumes them:

      1  symbol (two characters), Z, helium A1..A5
      2  helium A6..A9
      3  proton A1..A8, isotope count, then (mass, abundance) per isotope
      4  two values kept by the reader but used by no calculation (0 0)
      5  default mass number, mean atomic mass, a further unused value (0)
      6  Fermi velocity, screening-length factor
    """
    lines = []
    for e in elements:
        lines.append(f"{e['symbol']}{e['Z']:3d} " + " ".join(e["he"][:5]))
        lines.append(" ".join(e["he"][5:]))
        isotope_fields = [str(len(e["isotopes"]))]
        for mass, abundance in e["isotopes"]:
            isotope_fields += [mass, abundance]
        lines.append(" ".join(e["proton"] + isotope_fields))
        lines.append("0 0")
        lines.append(f"{e['default_mass_number']} {e['atomic_mass']} 0")
        lines.append(f"{e['fermi_velocity']} {e['lambda_factor']}")
    return lines


# ---------------------------------------------------------------------------
# chupar.dat
# ---------------------------------------------------------------------------

def chupar_lines(sources):
    """Z2 = 2..92: atomic number, c1, c2, c3, c4 of
    H(u) = 1 + c3 u^c4 exp(-|c1| u) - exp(-|c2| u),  u in MeV/amu."""
    rows = by_z(read_csv(sources, "straggling/chu_fit_params.csv"), "chu_fit_params.csv",
                zkey="Z2", first=2)
    lines = []
    for z in range(2, ELEMENT_COUNT + 1):
        where = f"chu_fit_params.csv Z2 = {z}"
        params = [number_text(rows[z][f"c{i}"], where) for i in range(1, 5)]
        lines.append(f"{z:2d} " + " ".join(params))
    return lines


# ---------------------------------------------------------------------------
# TAUFIJ.DAT: inversion of the reduced half-width of multiple scattering
# ---------------------------------------------------------------------------

TAU_COUNT = 338
TAU_L0 = -11.9     # ln of the reduced half-width angle of line 1
TAU_DL = 0.05      # step of that logarithm from line to line
TAU_SWITCH = 2000.0


def reduced_half_width(tau):
    """Reduced half-width angle of the multiple-scattering angular distribution
    after a reduced thickness tau (the fit used by the multiple-scattering code)."""
    if tau <= 1e-10:
        return 0.0
    if tau > TAU_SWITCH:
        return math.exp(0.329) * tau ** 0.5731
    c = (math.exp(0.5557522) * tau ** 0.2795842
         + math.exp(-0.5557522) * tau ** (-0.2795842)) / 2.0
    return math.exp(0.03047063) * tau ** 1.202286 * c ** (-2.2504866154811323)


def invert_half_width(log_alpha, lo=math.log(1e-8), hi=math.log(1e6)):
    """ln tau with ln reduced_half_width(tau) = log_alpha, by bisection in ln tau.

    ln alpha rises with ln tau on either side of the switch at tau = 2000 (the
    slope d ln alpha / d ln tau lies between 0.573 and 1.831), so the bracket
    [ln 1e-8, ln 1e6] holds exactly one solution for every grid angle (taufij_lines
    checks that none falls into the small step where the branches meet); the loop
    halves it until the midpoint no longer differs from an end in double
    precision, about 55 halvings, i.e. |d ln tau| ~ 1e-15, far below the ten
    significant digits printed."""
    f = lambda x: math.log(reduced_half_width(math.exp(x))) - log_alpha
    if not (f(lo) < 0.0 < f(hi)):
        raise SourceError(f"ln alpha = {log_alpha} outside the bisection bracket")
    while True:
        mid = 0.5 * (lo + hi)
        if mid <= lo or mid >= hi:
            return mid
        if f(mid) < 0.0:
            lo = mid
        else:
            hi = mid


def taufij_lines():
    """Line k: reduced thickness tau_k and its reduced half-width angle
    exp(-11.9 + 0.05 (k - 1)). The reader takes only the first number."""
    # The two branches of the half-width formula meet at tau = 2000 with a small
    # step in ln alpha; an angle inside that step would have two preimages.
    below = math.log(reduced_half_width(TAU_SWITCH))
    above = math.log(math.exp(0.329) * TAU_SWITCH ** 0.5731)
    gap = (min(below, above), max(below, above))
    lines = []
    for k in range(1, TAU_COUNT + 1):
        log_alpha = TAU_L0 + TAU_DL * (k - 1)
        if gap[0] <= log_alpha <= gap[1]:
            raise SourceError(f"grid angle {k} falls into the branch step at tau = 2000")
        tau = math.exp(invert_half_width(log_alpha))
        lines.append(f"{tau:.9e} {math.exp(log_alpha):.9e}")
    return lines


# ---------------------------------------------------------------------------
# FMT.DAT (convolution widths and shapes for the multiple-scattering folding)
# ---------------------------------------------------------------------------
# Generated by tools/make_fmt.py (numerical convolution of Pearson VII densities;
# its docstring documents the method).
from make_fmt import fmt_dat_lines  # noqa: E402


# ---------------------------------------------------------------------------
# Fixed Rutherford tables
# ---------------------------------------------------------------------------

# CODATA 2018 (NIST, physics.nist.gov/constants): hbar c = 197.3269804 MeV fm,
# fine-structure constant alpha = 7.2973525693e-3. e^2/(4 pi eps0) = alpha hbar c.
HBAR_C_MEV_FM = 197.3269804
FINE_STRUCTURE = 7.2973525693e-3
E2_MEV_FM = FINE_STRUCTURE * HBAR_C_MEV_FM   # 1.43996454... MeV fm
MB_PER_FM2 = 10.0                            # 1 fm^2 = 10 mb


def rutherford_lab_mb(z1, m1, z2, m2, energy_kev, theta_deg):
    """Rutherford cross section in the laboratory frame, mb/sr, for a projectile
    (z1, m1) of lab energy energy_kev scattered elastically by a nucleus (z2, m2)
    at lab angle theta_deg; exact for any mass ratio m1/m2 < 1:

      s = (z1 z2 e^2 / 4E)^2 4/sin^4(th) (cos th + sqrt(1 - (m1/m2 sin th)^2))^2
                                          / sqrt(1 - (m1/m2 sin th)^2)
    """
    th = math.radians(theta_deg)
    e_mev = energy_kev / 1000.0
    root = math.sqrt(1.0 - (m1 / m2 * math.sin(th)) ** 2)
    fm2 = ((z1 * z2 * E2_MEV_FM / (4.0 * e_mev)) ** 2 * 4.0 / math.sin(th) ** 4
           * (math.cos(th) + root) ** 2 / root)
    return fm2 * MB_PER_FM2


def cm_angle_deg(m1, m2, theta_deg):
    """Centre-of-mass scattering angle of elastic scattering seen at lab angle
    theta_deg (m1 < m2)."""
    th = math.radians(theta_deg)
    return math.degrees(th + math.asin(m1 / m2 * math.sin(th)))


def isotope_masses(sources):
    """Atomic masses (amu) keyed by (Z, A), from isotopes.csv."""
    return {(int(r["Z"]), int(r["mass_number"])): float(r["isotope_mass_amu"])
            for r in read_csv(sources, "isotopes/isotopes.csv")}


# (file, projectile (Z, A), target (Z, A), lab angle in degrees)
FIXED_TWO_COLUMN = (
    ("cp165.txt", (1, 1), (6, 12), 165.0),
    ("sip165.txt", (1, 1), (14, 28), 165.0),
    ("hep167.txt", (1, 1), (2, 4), 167.0),
)
# 2500 energies 4, 8, ..., 10000 keV
TWO_COLUMN_ENERGIES = [4.0 * k for k in range(1, 2501)]
# 190 energies 2000, 2020, ..., 5780 keV
CHE165 = ((2, 4), (6, 12), 165.0)
CHE165_ENERGIES = [2000.0 + 20.0 * k for k in range(190)]


def fixed_two_column_lines(sources, projectile, target, theta):
    masses = isotope_masses(sources)
    m1, m2 = masses[projectile], masses[target]
    return [f"{e:.1f} {rutherford_lab_mb(projectile[0], m1, target[0], m2, e, theta):.6e}"
            for e in TWO_COLUMN_ENERGIES]


def che165_lines(sources):
    """Energy (keV), centre-of-mass angle (degrees; the reader discards it),
    Rutherford cross section (mb/sr) of 12C(4He,4He) at 165 degrees."""
    masses = isotope_masses(sources)
    (p, t, theta) = CHE165
    m1, m2 = masses[p], masses[t]
    cm = cm_angle_deg(m1, m2, theta)
    return [f"{e:.1f} {cm:.4f} {rutherford_lab_mb(p[0], m1, t[0], m2, e, theta):.6e}"
            for e in CHE165_ENERGIES]


# ---------------------------------------------------------------------------
# Nuclear level files
# ---------------------------------------------------------------------------

def level_files(sources, elements):
    """{file name: lines} for every nucleus of levels.csv.

    The name is the element's two-character stored symbol (a one-letter symbol
    keeps its trailing blank, as in "C 13.lev"), the mass number and ".lev"; the
    content is the number of levels N, then N level energies in MeV, ground state
    first."""
    symbols = {e["Z"]: e["symbol"] for e in elements}
    nuclei = {}
    order = []
    for r in read_csv(sources, "levels/levels.csv"):
        z, a = int(r["Z"]), int(r["A"])
        if stored_symbol(r["symbol"]) != symbols.get(z):
            raise SourceError(f"levels.csv: symbol {r['symbol']!r} for Z = {z}")
        key = (z, a)
        if key not in nuclei:
            nuclei[key] = []
            order.append(key)
        levels = nuclei[key]
        if int(r["level_index"]) != len(levels):
            raise SourceError(f"levels.csv: Z = {z} A = {a}: levels not in order")
        levels.append(number_text(r["energy_MeV"], f"levels.csv Z = {z} A = {a}"))
    files = {}
    for z, a in order:
        levels = nuclei[(z, a)]
        if float(levels[0]) != 0.0:
            raise SourceError(f"levels.csv: Z = {z} A = {a}: level 0 is not at 0 MeV")
        files[f"{symbols[z]}{a}.lev"] = [str(len(levels))] + levels
    return files


# ---------------------------------------------------------------------------
# Output
# ---------------------------------------------------------------------------

def generated_files(sources):
    """{file name: list of lines} of the whole directory, in a fixed order."""
    elements = load_elements(sources)
    files = {
        "STOP.DAT": stop_dat_lines(elements),
        "chupar.dat": chupar_lines(sources),
        "FMT.DAT": fmt_dat_lines(),
        "TAUFIJ.DAT": taufij_lines(),
    }
    for name, projectile, target, theta in FIXED_TWO_COLUMN:
        files[name] = fixed_two_column_lines(sources, projectile, target, theta)
    files["che165.txt"] = che165_lines(sources)
    files.update(level_files(sources, elements))
    return files


def check_tokens(name, lines):
    """Every field must read as a number (the symbol of STOP.DAT aside)."""
    for n, line in enumerate(lines, 1):
        tokens = line.split()
        if name == "STOP.DAT" and n % 6 == 1:
            tokens = tokens[1:]   # the element symbol
        for t in tokens:
            if not NUMBER_RE.match(t):
                raise SourceError(f"{name} line {n}: {t!r} is not a plain number")


def write_directory(outdir, sources=DEFAULT_SOURCES):
    files = generated_files(sources)
    os.makedirs(outdir, exist_ok=True)
    for name, lines in files.items():
        check_tokens(name, lines)
        data = "".join(line + "\r\n" for line in lines).encode("ascii")
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)
    return sorted(files)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("outdir", help="directory to write the LEV files into")
    parser.add_argument("--sources", default=DEFAULT_SOURCES,
                        help="folder of the source tables (default: data/sources)")
    args = parser.parse_args(argv)
    try:
        names = write_directory(args.outdir, args.sources)
    except (SourceError, OSError, KeyError, ValueError) as exc:
        print(f"make_lev: {exc}", file=sys.stderr)
        return 1
    print(f"make_lev: {len(names)} files written to {args.outdir}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
