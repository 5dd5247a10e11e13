spectrum.par
spectrum.lay
default.lay
energy loss
loss