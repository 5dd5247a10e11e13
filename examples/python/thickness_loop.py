#!/usr/bin/env python3
"""A loop over layer thicknesses: gold films of growing thickness (in angstrom, as the layer
texts give it) on silicon (the shipped
spectrum example's beam and detector), each simulated, with the gold signal's counts and
the width of its peak printed and plotted. For thin films the counts grow in proportion
to the thickness; the width follows the energy lost in the film.
Writes thickness_loop.png into the current folder.
"""
import pathlib

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy

import dodavev

EXAMPLES = pathlib.Path(__file__).resolve().parent.parent

s = dodavev.Session()
s.load_parameters(EXAMPLES / "spectrum.par")
s.load_sample(EXAMPLES / "spectrum.lay")
template = s.sample  # "A=300" first: the gold layer, 300 angstrom thick
# The bare substrate: gold scatters to higher energies than silicon, so the gold signal is
# what lies above the silicon edge.
s.sample = template[template.index("S="):]
substrate = s.run("full spectrum (1)")
silicon_edge = substrate.energies[numpy.nonzero(substrate.spectrum)[0].max()]

thicknesses = [50, 100, 200, 300, 400]  # angstrom
counts = []
fig, ax = plt.subplots()
for t in thicknesses:
    s.sample = template.replace("A=300", "A=%g" % t, 1)
    r = s.run("full spectrum (1)")
    gold = r.energies > silicon_edge
    counts.append(r.spectrum[gold].sum())
    above_half = r.energies[gold][r.spectrum[gold] > r.spectrum[gold].max() / 2]
    print("gold %5g A: %9.0f counts above %.0f keV, peak from %.0f to %.0f keV" %
          (t, counts[-1], silicon_edge, above_half.min(), above_half.max()))
    ax.plot(r.energies, r.spectrum, label="%g A gold" % t)

ax.set_xlabel("Detected energy [keV]")
ax.set_ylabel("Yield")
ax.legend()
# Thin films: counts in proportion to the thickness.
per_angstrom = numpy.array(counts) / numpy.array(thicknesses)
print("counts per angstrom: " + ", ".join("%.1f" % c for c in per_angstrom))
fig.savefig("thickness_loop.png", dpi=100)
print("wrote thickness_loop.png")
