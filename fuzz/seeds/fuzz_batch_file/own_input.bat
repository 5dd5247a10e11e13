default.par
default.lay

energy loss
default.par
