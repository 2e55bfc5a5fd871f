# The built-in firmware is the generator's output: regenerating it gives the committed file.
set -euo pipefail
out=$(mktemp)
trap 'rm -f "$out"' EXIT
python3 resources/firmware/generate_firmware.py "$out"
if cmp -s "$out" resources/firmware/mt-r508-171115.hex; then
  echo "built-in firmware: the generator reproduces resources/firmware/mt-r508-171115.hex"
else
  echo "built-in firmware: the generator's output differs from resources/firmware/mt-r508-171115.hex" >&2
  exit 1
fi
