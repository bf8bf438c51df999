#!/usr/bin/env bash
# The Windows kit against the Linux kit: mkebook.exe and mkrebrander.exe run
# under Wine on the same inputs as the Linux tools, and every output must be
# the same bytes (packed E-Books, stamped rebranders, dumps, bundle archives),
# with the same exit status and message for a failure.
# usage: tests/tools/windows_kit_test.sh LINUX_BUILD WINDOWS_BUILD
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 LINUX_BUILD WINDOWS_BUILD" >&2; exit 2; }
linux=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
table="$source_dir/tools/sample-ebook/sample-table.json"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() {
  echo "windows kit: $*" >&2
  failures=$((failures + 1))
}

# Runs one tool of one system in its own folder: "$1" is linux or windows.
run() {
  local system=$1 tool=$2
  shift 2
  mkdir -p "$work/$system"
  if [ "$system" = linux ]; then
    (cd "$work/$system" && "$linux/tools/$tool/$tool" "$@")
  else
    (cd "$work/$system" && wine "$windows/tools/$tool/$tool.exe" "$@")
  fi
}

# The same command on both systems; stdout, stderr (its lines ended the
# system's way) and the status compared, and every file named after the
# command. With CUT_REASON set, a message is compared up to the system's
# reason, which each system words its own way.
same() {
  local outputs=$1
  shift
  local status
  for system in linux windows; do
    status=0
    run "$system" "$@" >"$system.out" 2>"$system.err" || status=$?
    echo "$status" >"$system.status"
    tr -d '\r' <"$system.err" >"$system.err.lf" && mv "$system.err.lf" "$system.err"
    if [ -n "${CUT_REASON:-}" ]; then sed -i 's/^\([^:]*: [^:]*: \).*/\1/' "$system.err"; fi
  done
  for part in out err status; do
    cmp -s "linux.$part" "windows.$part" ||
      fail "$* differs in its $part: $(head -c 300 linux.$part) | $(head -c 300 windows.$part)"
  done
  for output in $outputs; do
    cmp -s "linux/$output" "windows/$output" || fail "$*: $output differs"
  done
}

cp "$windows/tools/sample-ebook/sample-ebook.exe" program.exe
cp "$windows/ui/rebrander.exe" bare.exe
cp "$table" table.json
printf '{"title": "Caf\\u00e9 au lait", "status-before": "Bienvenue"}\n' >stamp.json
for system in linux windows; do
  mkdir -p "$system"
  cp program.exe bare.exe table.json stamp.json "$system/"
  touch -d '2026-01-02 03:04:05 UTC' "$system/program.exe"
done

same book.exe mkebook pack -p program.exe -t table.json -e windows-1252 -o book.exe
same "" mkebook dump book.exe -e windows-1252
same dump.json mkebook dump --encoding=CP1252 -o dump.json book.exe
same again.exe mkebook pack -p book.exe -t dump.json -e cp1252 -o again.exe
cmp -s linux/book.exe linux/again.exe || fail "a dump does not pack back to the same E-Book"
# In place: the output replaces the program it was read from.
same again.exe mkebook pack -p again.exe -t dump.json -e cp1252 -o again.exe
same rebrander.exe mkrebrander --for-ebook book.exe -s stamp.json -e windows-1252 -p bare.exe \
  -o rebrander.exe
same rebrander.exe mkrebrander --for-ebook book.exe -s stamp.json -e windows-1252 \
  -p rebrander.exe -o rebrander.exe
same "" mkrebrander dump rebrander.exe -e windows-1252
# Signed as the README shows publishers: the stamp is still found before the
# signature, by the reader the rebrander itself uses.
cp linux.out unsigned.dump
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Publisher -keyout key.pem \
  -out cert.pem >/dev/null 2>&1
osslsigncode sign -certs cert.pem -key key.pem -in linux/rebrander.exe -out signed.exe >/dev/null
for system in linux windows; do cp signed.exe "$system/"; done
same "" mkrebrander dump signed.exe -e windows-1252
cmp -s unsigned.dump linux.out || fail "signing the rebrander changed the stamp it reads"
same "" mkebook dump --field id book.exe
for system in linux windows; do touch -d '2026-01-02 03:04:05 UTC' "$system/book.exe"; done
same kit.zip mkrebrander bundle --ebook book.exe --title "My Book" --windows -p bare.exe -o kit
# Customized without the wizard: copies, then in place.
printf '{"title": "Un"}\n{"title": "Deux \\u00e9"}\n' >sets.jsonl
for system in linux windows; do cp sets.jsonl "$system/"; done
same "copies/1/book.exe copies/2/book.exe" mkebook set book.exe --copies sets.jsonl -o copies \
  -e windows-1252
same book.exe mkebook set book.exe title=Trois -e windows-1252
# Names outside every ANSI code page: the tools take their arguments and open
# their files wide (Wine reads the names it is given in the locale's charset).
for system in linux windows; do cp "$system/book.exe" "$system/Книга本.exe"; done
LC_ALL=C.UTF-8 same Книга本2.exe mkebook pack -p Книга本.exe -t dump.json -e cp1252 -o Книга本2.exe
LC_ALL=C.UTF-8 same "" mkebook dump --field id Книга本2.exe
# Failures: the same status and message.
CUT_REASON=1 same "" mkebook dump nosuch.exe
same "" mkebook pack -p program.exe -t table.json
same "" mkrebrander --ebook-file b.exe --ebook-id "$(printf 'x%.0s' {1..65})" --ebook-version 1 \
  --title T -p bare.exe -o out.exe

[ -s linux/kit.zip ] && unzip -tq linux/kit.zip >/dev/null || fail "kit.zip is no sound zip"
[ "$failures" -eq 0 ] || exit 1
echo "Windows kit: the same bytes as the Linux kit"
