default.par
default.lay

depth and energy resolution
default_results
default.par
default.lay

full spectrum (1)
full_spectrum
default.par
default.lay

excitation curves for resonances
excitation
