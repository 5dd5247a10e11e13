nothere.par
nothere.lay
nothere.lay
depth and energy resolution
out
