#!/bin/sh
# Instructions executed by the spectrum benchmarks, counted by callgrind: unlike the wall
# time of a shared or virtual machine, which wanders by a fifth from minute to minute, the
# count is the same from run to run, so two builds can be compared one after the other.
#
#   scripts/bench-instructions.sh BENCH_EXECUTABLE [MORE_EXECUTABLES...]
#
# Counts only the calculation each case times (the full or the sub-spectrum action), not
# the session set-up around it; one iteration per case. Needs valgrind (apt-get install
# valgrind).
set -eu

if [ "$#" -lt 1 ]; then
  echo "usage: $0 BENCH_EXECUTABLE [MORE_EXECUTABLES...]" >&2
  exit 2
fi
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 2; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# case (benchmark filter) and the function that holds its timed work
cases='FullSpectrum/AuOnC$ spektrumsim21Click
FullSpectrum/ThickSi$ spektrumsim21Click
FullSpectrum/AuNiSi$ spektrumsim21Click
FullSpectrum/AuNiSiTilted60$ spektrumsim21Click
SubSpectrum/AuOnC$ spectrumsimulation1Click
SubSpectrum/ThickSi$ spectrumsimulation1Click
SubSpectrum/AuNiSi$ spectrumsimulation1Click
SubSpectrum/AuNiSiTilted60$ spectrumsimulation1Click
BM_ProtonWalkThickSi$ spectrumsimulation1Click'

i=0
for bench in "$@"; do i=$((i + 1)); echo "build $i: $bench"; done
printf '%-30s' case
i=0
for bench in "$@"; do i=$((i + 1)); printf ' %16s' "build $i"; done
printf '\n'
echo "$cases" | while read -r filter function; do
  printf '%-30s' "$filter"
  for bench in "$@"; do
    count=$(valgrind --tool=callgrind --callgrind-out-file="$out/cg" \
      --toggle-collect="*${function}*" "$bench" --benchmark_filter="$filter" \
      --benchmark_min_time=0.01 2>&1 | sed -n 's/.*Collected : \([0-9]*\).*/\1/p')
    printf ' %16s' "${count:-?}"
  done
  printf '\n'
done
