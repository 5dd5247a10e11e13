default.par
default.lay

depth and energy resolution
default_results
