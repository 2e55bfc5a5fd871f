# A short fuzzing run of the whole HEX path (libFuzzer, clang, address and undefined-behaviour
# sanitizers). A crash, a sanitizer report or a broken image fails the step.
set -euo pipefail
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_hex -j "$(nproc)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" && mkdir -p build/fuzz/artifacts
# A crashing input is kept in build/fuzz/artifacts.
build/fuzz/fuzz/fuzz_hex -dict=fuzz/hex.dict -max_total_time=30 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/artifacts/ "$work/corpus" fuzz/corpus
