#!/usr/bin/env bash
# The authoring kit as its users get it: installed into a staging folder
# (DESTDIR), then pack, stamp and bundle with the installed tools, and one
# Customize of the unpacked bundle through the installed rebrander, headless
# (a driver preloaded into it clicks through); the E-Book library's example
# built against the installed files and run. Then the .deb, built by CPack.
# usage: scripts/test-installed-kit.sh BUILD_DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
driver="$build/tests/tools/libcustomize_driver.so"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "installed kit: $*" >&2
  exit 1
}

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
bin="$work/stage/usr/bin"
sample="$work/stage/usr/share/rebrander/sample"
sample_book="$work/stage/usr/libexec/rebrander/sample/sample-ebook"
cd "$work"

# No --program anywhere: the tools find the installed bare rebrander.
"$bin/mkebook" pack --program "$sample_book" --table "$sample/sample-table.json" \
  --encoding windows-1252 --output mybook
"$bin/mkrebrander" --for-ebook mybook --title "My Book" --output customize
# Output is captured before grep: grep -q stops reading at its match, and under
# pipefail the writer's SIGPIPE would fail the check at random.
stamp=$("$bin/mkrebrander" dump customize)
grep -q '"ebook-file": "mybook"' <<<"$stamp" || fail "stamp not for mybook"
"$bin/mkrebrander" bundle --ebook mybook --title "My Book" --output kit
mkdir unpacked
tar -xzf kit.tar.gz -C unpacked

text="Customized by the installed kit"
QT_QPA_PLATFORM=offscreen DRIVER_TEXT="$text" LD_PRELOAD="$driver" timeout 60 \
  unpacked/kit/rebrander 2>driver.log || fail "the rebrander failed: $(cat driver.log)"
grep -q "^message: The E-Book has been successfully customized.$" driver.log ||
  fail "no success message: $(cat driver.log)"
"$bin/mkebook" dump unpacked/kit/mybook --encoding windows-1252 >after.json
# The sample offers five of its texts; the others are hidden or of no editable type.
[ "$(grep -c "\"value\": \"$text\"" after.json)" -eq 5 ] || fail "values not stored"
grep -q '"rebranded": 1' after.json || fail "not marked customized"

# The E-Book library as an author uses it: the installed example built against
# the installed header and library, as C and as C++, through pkg-config and
# through find_package in a CMake project of its own; each build packed with
# the sample's table and run, printing its own texts.
stage="$work/stage/usr"
docs="$stage/share/doc/ebookvars"
[ -s "$docs/format.md" ] || fail "no format reference in $docs"
example="$docs/examples/print-variables.c"
pc=$(find "$stage" -name ebookvars.pc)
[ -n "$pc" ] || fail "no ebookvars.pc"
read -ra flags <<<"$(PKG_CONFIG_PATH=$(dirname "$pc") pkg-config --static --cflags --libs ebookvars)"
cc -std=c99 -Wall -Wextra -Werror -o example-pc-c "$example" "${flags[@]}" ||
  fail "C build through pkg-config"
c++ -Wall -Wextra -Werror -o example-pc-cxx -x c++ "$example" -x none "${flags[@]}" ||
  fail "C++ build through pkg-config"
mkdir consumer
cp "$example" consumer/print-variables.c
cp "$example" consumer/print-variables.cpp
cat >consumer/CMakeLists.txt <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(consumer C CXX)
find_package(EBookVars 1.0 REQUIRED)
add_executable(example-cmake-c print-variables.c)
add_executable(example-cmake-cxx print-variables.cpp)
target_link_libraries(example-cmake-c PRIVATE EBookVars::ebookvars)
target_link_libraries(example-cmake-cxx PRIVATE EBookVars::ebookvars)
CMAKE
cmake -S consumer -B consumer/build -DCMAKE_PREFIX_PATH="$stage" >consumer.log 2>&1 &&
  cmake --build consumer/build >>consumer.log 2>&1 || fail "find_package build: $(tail -n 5 consumer.log)"
for program in example-pc-c example-pc-cxx consumer/build/example-cmake-c \
  consumer/build/example-cmake-cxx; do
  "$bin/mkebook" pack --program "$program" --table "$sample/sample-table.json" --output packed
  printed=$(cd / && "$work/packed")
  grep -qx "title: The Lantern at Hollow Bay" <<<"$printed" || fail "$program printed: $printed"
done

rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB) >cpack.log 2>&1 || fail "cpack failed: $(tail -n 5 cpack.log)"
# Each file in the package it belongs to; the kit without Qt, the rebrander with it.
declare -A expected=(
  [rebrander]="usr/libexec/rebrander/rebrander usr/libexec/rebrander/sample/sample-ebook"
  [rebrander-kit]="usr/bin/mkebook usr/bin/mkrebrander usr/share/man/man1/mkebook.1.gz
    usr/share/man/man1/mkrebrander.1.gz usr/share/bash-completion/completions/mkebook
    usr/share/rebrander/sample/sample-table.json usr/share/doc/rebrander-kit/copyright"
  [libebookvars-dev]="usr/include/ebookvars.h usr/lib/libebookvars.a usr/lib/pkgconfig/ebookvars.pc
    usr/lib/cmake/EBookVars/EBookVarsConfig.cmake usr/share/doc/ebookvars/format.md
    usr/share/doc/ebookvars/examples/print-variables.c")
for package in "${!expected[@]}"; do
  deb=$(ls "$build/${package}_"*.deb) || fail "no $package package"
  contents=$(dpkg-deb -c "$deb")
  for path in ${expected[$package]}; do
    grep -q " \./$path\$" <<<"$contents" || fail "$deb lacks /$path"
  done
  depends=$(dpkg-deb -f "$deb" Depends)
  qt=$(grep -c libqt6 <<<"$depends" || true)
  [ "$package" = rebrander ] && [ "$qt" -eq 0 ] && fail "$deb names no Qt dependency: $depends"
  [ "$package" = rebrander-kit ] && [ "$qt" -ne 0 ] && fail "$deb depends on Qt: $depends"
done
# Errors fail the check; warnings are listed.
lintian --fail-on error --suppress-tags-from-file /dev/null "$build"/*.deb >lintian.log 2>&1 ||
  fail "lintian: $(cat lintian.log)"
echo "Installed kit: pack, stamp, bundle and a headless Customize passed; $(cd "$build" && ls ./*.deb | tr '\n' ' ')built, lintian without errors"
