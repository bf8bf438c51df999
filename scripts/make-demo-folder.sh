#!/usr/bin/env bash
# Lays out a demo folder: the sample E-Book, packed with its sample table, and
# beside it a rebrander stamped for that E-Book.
# usage: scripts/make-demo-folder.sh BUILD_DIR DEMO_DIR
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR DEMO_DIR" >&2
  exit 2
fi
build=$1
demo=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
table="$source_dir/tools/sample-ebook/sample-table.json"

mkebook="$build/tools/mkebook/mkebook"
mkrebrander="$build/tools/mkrebrander/mkrebrander"
sample="$build/tools/sample-ebook/sample-ebook"
rebrander="$build/ui/rebrander"
for program in "$mkebook" "$mkrebrander" "$sample" "$rebrander"; do
  if [ ! -f "$program" ] || [ ! -x "$program" ]; then
    echo "make-demo-folder: $program is missing; build the project in $build first" >&2
    exit 1
  fi
done

mkdir -p "$demo"
"$mkebook" pack --program "$sample" --table "$table" --output "$demo/sample-ebook"

# Identity and version are read back from the packed E-Book, so the rebrander
# always matches it.
id=$("$mkebook" dump "$demo/sample-ebook" --field id)
version=$("$mkebook" dump "$demo/sample-ebook" --field version)

"$mkrebrander" --program "$rebrander" --output "$demo/rebrander" \
  --ebook-file sample-ebook --ebook-id "$id" --version "$version" \
  --title "Sample E-Book Customizer" \
  --status-before "Welcome! This tool makes the sample E-Book beside it your own.

Press Customize to put your own title, name, dedication, note and website into the book, then View E-Book to read it. Close the E-Book before you customize it." \
  --status-after "The sample E-Book has been customized with your texts.

Press View E-Book to see them in the book." \
  --allow-repeat 0

echo "Demo folder ready: $demo/rebrander beside $demo/sample-ebook"
