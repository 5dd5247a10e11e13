"""Ion beam analysis of layered samples from Python: DOdavev's calculations scripted.

A Session holds every input of the program (with its defaults), reads and writes
parameter files and layer files, checks the inputs as "OK" does and runs the eight
calculations of the "calculations" menu; results come back as report texts and NumPy
arrays:

    import dodavev
    s = dodavev.Session()
    s["e0"] = 2000                          # keV
    s["th"] = 170                           # deg
    s.sample = "A=300\\nn=5.9e22\\nau,1\\nS=\\nn=4.98e22\\nsi,1\\n"
    r = s.run("spectrum simulation")
    r.energies, r.spectrum                  # keV and yield of each channel

See help(dodavev.Session) and help(dodavev.Result).
"""

from ._dodavev import (  # noqa: F401
    InputError,
    Result,
    Session,
    __version__,
    calculations,
    default_lev_directory,
    inputs,
    resolution_columns,
)

__all__ = [
    "InputError",
    "Result",
    "Session",
    "calculations",
    "default_lev_directory",
    "inputs",
    "resolution_columns",
]
