# Native build under address and undefined-behaviour sanitizers, and its suites.
set -euo pipefail
jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"
