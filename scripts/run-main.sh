#!/usr/bin/env bash
# Sets up, builds and runs the main job: the default depth and energy resolution
# calculation of examples/default.bat. Results are written to examples-run/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release
cmake --build --preset release
rm -rf examples-run && cp -r examples examples-run
# File names inside a BatchFile are relative to the current directory.
cd examples-run
../build/release/src/dodavev default.bat
echo "--- results in examples-run/ ---"
ls
for f in default_results_1.dat default_results.dat; do
  [ -f "$f" ] && { echo "--- $f ---"; cat "$f"; }
done
exit 0
