#!/bin/sh
# Runs every example BatchFile, and every calculation on every example parameter file
# (with and without an absorber foil), in a scratch copy of examples/, and keeps every file
# the runs write in OUTDIR. Two OUTDIRs of two builds compare with `diff -r`: a change that
# must not alter any result shows no difference (the scans run on one thread, so that
# their progress lines come in one order).
#   scripts/batch-outputs.sh build/release/src/dodavev OUTDIR
set -eu
exe=$(readlink -f "$1")
out=$2
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here"/examples/*.par "$here"/examples/*.lay "$here"/examples/*.bat "$here"/examples/*.dat "$work"/
cd "$work"
printf 'A=20000\nn=5.0e22\nc,1\nh,1\n' > foil.lay
for bat in default optimization resonance spectrum; do
  "$exe" --jobs 1 "$bat.bat" > "$bat.stdout" 2> "$bat.stderr" || true
done
: > all.bat
for par in *.par; do
  base=${par%.par}
  lay=default.lay
  [ "$base" = spectrum ] && lay=spectrum.lay
  i=0
  for calc in "energy loss" "Tschalar effect" "depth and energy resolution" "optimization" \
              "spectrum simulation" "full spectrum (1)" "excitation curves for resonances"; do
    i=$((i + 1))
    printf '%s\n%s\n\n%s\n%s_calc%d\n' "$par" "$lay" "$calc" "$base" "$i" >> all.bat
    printf '%s\n%s\nfoil.lay\n%s\n%s_foil%d\n' "$par" "$lay" "$calc" "$base" "$i" >> all.bat
  done
done
"$exe" --jobs 1 all.bat > all.stdout 2> all.stderr || true
mkdir -p "$out"
for f in *; do
  case "$f" in *.par|*.lay|*.bat|fit_measured.dat) continue ;; esac
  cp -r "$f" "$out"/
done
