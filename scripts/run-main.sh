#!/usr/bin/env bash
# Sets up, builds and runs the main job: the default depth and energy resolution
# calculation of examples/default.bat. Results are written to examples-run/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
rm -rf examples-run && cp -r examples examples-run
build/release/src/dodavev examples-run/default.bat
echo "--- results in examples-run/ ---"
ls examples-run
