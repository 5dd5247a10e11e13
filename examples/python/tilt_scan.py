#!/usr/bin/env python3
"""Depth resolution against sample tilt: the default He beam on the default sample, the
incident angle (beam to surface) scanned and the depth resolution at 100 nm plotted.

Each angle runs in its own session, so the runs share the machine's cores from Python
threads. Writes tilt_scan.png into the current folder.
"""
from concurrent.futures import ThreadPoolExecutor

import matplotlib

matplotlib.use("Agg")  # no display needed
import matplotlib.pyplot as plt
import numpy

import dodavev

DEPTH_NM = 100.0


def resolution_at(alpha):
    s = dodavev.Session()
    s["a"] = alpha  # deg, between beam and sample surface
    r = s.run("depth and energy resolution")
    depth = r.column("resolution", "depth")
    if len(depth) < 2 or depth[-1] < DEPTH_NM:
        return numpy.nan  # the walk stopped before that depth
    return numpy.interp(DEPTH_NM, depth, r.column("resolution", "depth_resolution"))


angles = numpy.arange(10.0, 91.0, 10.0)
with ThreadPoolExecutor() as pool:
    resolutions = list(pool.map(resolution_at, angles))

for alpha, dx in zip(angles, resolutions):
    print("alpha = %4.0f deg   depth resolution at %.0f nm = %7.2f nm" % (alpha, DEPTH_NM, dx))

fig, ax = plt.subplots()
ax.plot(angles, resolutions, "o-")
ax.set_xlabel("angle between beam and sample surface [deg]")
ax.set_ylabel("depth resolution at %.0f nm [nm]" % DEPTH_NM)
ax.set_title("Depth resolution against tilt")
fig.savefig("tilt_scan.png", dpi=100)
print("wrote tilt_scan.png")
