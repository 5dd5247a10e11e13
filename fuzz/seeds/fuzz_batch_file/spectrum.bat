spectrum.par
spectrum.lay

spectrum simulation
spectrum_sub.res
spectrum.par
spectrum.lay

full spectrum (1)
spectrum_full.res
