resonance.par
default.lay

excitation curves for resonances
resonance_results
