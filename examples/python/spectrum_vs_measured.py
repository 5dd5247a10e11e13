#!/usr/bin/env python3
"""A simulated spectrum beside a measured one: the shipped spectrum example (2 MeV He on
gold on silicon) simulated and compared, channel by channel, with a measured spectrum file.

No measurement is shipped, so this example first writes a stand-in: the simulation of a
gold layer 10 % thicker than the example's, with Poisson counting noise (fixed seed). Point
MEASURED at a real file (one channel a line) to compare with a measurement instead.
Writes spectrum_vs_measured.png into the current folder.
"""
import pathlib

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy

import dodavev

EXAMPLES = pathlib.Path(__file__).resolve().parent.parent
MEASURED = pathlib.Path("measured.txt")

s = dodavev.Session()
s.load_parameters(EXAMPLES / "spectrum.par")
s.load_sample(EXAMPLES / "spectrum.lay")
layers = s.sample

if not MEASURED.exists():
    # The stand-in measurement: the first layer ("A=300") made 10 % thicker.
    s.sample = layers.replace("A=300", "A=330", 1)
    stand_in = s.run("full spectrum (1)").spectrum
    counts = numpy.random.default_rng(1).poisson(numpy.clip(stand_in, 0, None))
    MEASURED.write_text("".join("%d %d\n" % (c, n) for c, n in enumerate(counts, 1)))
    s.sample = layers

s.load_measured_spectrum(MEASURED)
r = s.run("full spectrum (1)")

fitted = r.measured > 0
chi2 = numpy.sum((r.measured[fitted] - r.spectrum[fitted]) ** 2 / r.measured[fitted])
print("channels: %d, %.1f to %.1f keV" % (len(r.channels), r.energies[0], r.energies[-1]))
print("simulated counts %.0f, measured counts %.0f" % (r.spectrum.sum(), r.measured.sum()))
print("chi2 per channel with counts: %.2f" % (chi2 / max(fitted.sum(), 1)))

fig, ax = plt.subplots()
ax.plot(r.energies, r.measured, "k.", markersize=2, label="measured")
ax.plot(r.energies, r.spectrum, "b-", label="simulated")
ax.set_xlabel("Detected energy [keV]")
ax.set_ylabel("Yield")
ax.legend()
fig.savefig("spectrum_vs_measured.png", dpi=100)
print("wrote spectrum_vs_measured.png")
