optimization.par
default.lay

optimization
optimization_results
