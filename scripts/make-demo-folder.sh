#!/usr/bin/env bash
# Lays out a demo folder: the sample E-Book, packed with its sample table, and
# beside it a rebrander stamped for that E-Book. With --windows, the programs
# are the Windows ones from WINDOWS_BUILD_DIR (packed and stamped by the Linux
# tools from BUILD_DIR, which only append records).
# usage: scripts/make-demo-folder.sh [--windows WINDOWS_BUILD_DIR] BUILD_DIR DEMO_DIR
set -euo pipefail

usage() {
  echo "usage: $0 [--windows WINDOWS_BUILD_DIR] BUILD_DIR DEMO_DIR" >&2
  exit 2
}
windows=""
if [ "${1:-}" = "--windows" ]; then
  [ $# -ge 2 ] || usage
  windows=$2
  shift 2
fi
[ $# -eq 2 ] || usage
build=$1
demo=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
table="$source_dir/tools/sample-ebook/sample-table.json"

mkebook="$build/tools/mkebook/mkebook"
mkrebrander="$build/tools/mkrebrander/mkrebrander"
if [ -n "$windows" ]; then
  exe=.exe
  sample="$windows/tools/sample-ebook/sample-ebook.exe"
  rebrander="$windows/ui/rebrander.exe"
else
  exe=""
  sample="$build/tools/sample-ebook/sample-ebook"
  rebrander="$build/ui/rebrander"
fi
for program in "$mkebook" "$mkrebrander" "$sample" "$rebrander"; do
  if [ ! -f "$program" ] || { [ -z "$windows" ] && [ ! -x "$program" ]; }; then
    echo "make-demo-folder: $program is missing; build the project first" >&2
    exit 1
  fi
done

mkdir -p "$demo"
book="sample-ebook$exe"
"$mkebook" pack --program "$sample" --table "$table" --output "$demo/$book"

# File name, identity and version come from the packed E-Book, so the
# rebrander always matches it.
"$mkrebrander" --program "$rebrander" --output "$demo/rebrander$exe" --for-ebook "$demo/$book" \
  --title "Sample E-Book Customizer" \
  --status-before "Welcome! This tool makes the sample E-Book beside it your own.

Press Customize to put your own title, name, dedication, note and website into the book, then View E-Book to read it. Close the E-Book before you customize it." \
  --status-after "The sample E-Book has been customized with your texts.

Press View E-Book to see them in the book." \
  --allow-repeat 0

echo "Demo folder ready: $demo/rebrander$exe beside $demo/$book"
