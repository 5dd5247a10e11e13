default.par
default.lay

Optimization
out
