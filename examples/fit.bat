fit.par
fit.lay

spectrum fit
fit_result
