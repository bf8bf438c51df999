#!/usr/bin/env bash
# One customized copy per value set against copying the same bytes with cp:
# COUNT copies of a SIZE-megabyte E-Book made by `mkebook set --copies`, and
# the same files copied by one `cp -r` of a folder laid out alike. Each side
# ends with `sync`, since mkebook flushes every copy and cp flushes none; the
# two take turns, best of three.
# usage: bench/copies-bench.sh BUILD_DIR [COUNT [SIZE_MB]]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [COUNT [SIZE_MB]]" >&2; exit 2; }
mkebook="$(cd "$1" && pwd)/tools/mkebook/mkebook"
count=${2:-1000}
size=${3:-5}
work=$(mktemp -d "${TMPDIR:-/var/tmp}/copies-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

head -c $((size * 1024 * 1024)) /dev/urandom >program
cat >table.json <<'JSON'
{"id": "Bench 1.0", "version": 1, "rebranded": 0, "variables": [
 {"ident": "reseller", "prompt": "Reseller:", "value": "", "editable": 1, "type": 0},
 {"ident": "link", "prompt": "Link:", "value": "", "editable": 1, "type": 0}]}
JSON
"$mkebook" pack -p program -t table.json -o book
for i in $(seq "$count"); do
  printf '{"reseller": "Reseller %d", "link": "https://example.org/r/%d"}\n' "$i" "$i"
done >sets.jsonl
# The tree cp copies: the same folders and E-Book bytes.
mkdir tree
"$mkebook" set book --copies sets.jsonl -o tree

now() { date +%s.%N; }
best_tool=999999 best_cp=999999
for round in 1 2 3; do
  rm -rf out copy && sync
  start=$(now)
  "$mkebook" set book --copies sets.jsonl -o out && sync
  tool=$(echo "$(now) - $start" | bc)
  rm -rf out && sync
  start=$(now)
  cp -r tree copy && sync
  cp_time=$(echo "$(now) - $start" | bc)
  rm -rf copy
  best_tool=$(echo "if ($tool < $best_tool) $tool else $best_tool" | bc)
  best_cp=$(echo "if ($cp_time < $best_cp) $cp_time else $best_cp" | bc)
  echo "round $round: mkebook set --copies ${tool}s, cp -r ${cp_time}s"
done
echo "best of 3, $count copies of $size MB: mkebook ${best_tool}s, cp ${best_cp}s," \
  "ratio $(echo "scale=2; $best_tool / $best_cp" | bc)"
