#!/usr/bin/env bash
# Makes the Windows authoring kit, a .zip for authors who work on Windows:
# mkebook.exe, mkrebrander.exe and the bare rebrander.exe of a Windows build,
# the E-Book library and its header where the build made them, the docs, the
# sample table and a short README.txt.
# usage: scripts/make-windows-kit.sh WINDOWS_BUILD [KIT.zip]
set -euo pipefail
[ $# -ge 1 ] && [ $# -le 2 ] || { echo "usage: $0 WINDOWS_BUILD [KIT.zip]" >&2; exit 2; }
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
version=$(sed -n 's/^project(rebrander VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
output=$(realpath -m "${2:-rebrander-kit-$version-windows.zip}")
[ -e "$output" ] && { echo "$0: $output: already exists" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
kit="$work/rebrander-kit-$version"
mkdir -p "$kit/sample"

for program in tools/mkebook/mkebook.exe tools/mkrebrander/mkrebrander.exe ui/rebrander.exe; do
  [ -f "$build/$program" ] || { echo "$0: $build/$program: not built" >&2; exit 1; }
  cp "$build/$program" "$kit/"
  x86_64-w64-mingw32-strip "$kit/$(basename "$program")"
done
# The E-Book library, when this build has it.
if [ -d "$source_dir/tools/ebookvars" ]; then
  mkdir -p "$kit/ebookvars"
  find "$source_dir/tools/ebookvars" -maxdepth 1 -name '*.h' -exec cp {} "$kit/ebookvars/" \;
  find "$build/tools/ebookvars" -maxdepth 1 \( -name '*.a' -o -name '*.dll' -o -name '*.lib' \) \
    -exec cp {} "$kit/ebookvars/" \; 2>/dev/null || true
fi
cp -r "$source_dir/docs" "$kit/docs"
cp "$source_dir/tools/sample-ebook/sample-table.json" "$kit/sample/"
sed 's/$/\r/' >"$kit/README.txt" <<TEXT
Rebrander authoring kit $version for Windows

mkebook.exe packs your program and a table of texts (JSON, UTF-8) into an
E-Book; mkrebrander.exe stamps rebrander.exe for that E-Book, or makes a
ready bundle of both. In a command prompt in this folder:

  mkebook pack -p mybook.exe -t sample\\sample-table.json -e windows-1252 -o dist\\mybook.exe
  mkrebrander bundle --ebook dist\\mybook.exe --title "My Book" -e windows-1252 --windows -o mybook-kit

The second line makes mybook-kit\\ (your E-Book and rebrander.exe) and
mybook-kit.zip to ship. "mkebook check dist\\mybook.exe" checks an E-Book or a
table; "mkebook dump dist\\mybook.exe" shows its table. Each tool explains
itself with --help. docs\\ describes the file formats; ebookvars\\ (when
present) holds the library that lets your program read its own texts.
TEXT
(cd "$work" && zip -qrX "$output" "$(basename "$kit")")
echo "$output"
