#!/usr/bin/env bash
# Plants each fault of faults.txt in turn into a source tree, builds it, runs
# the whole test suite of the fault's platform and reports which tests caught
# it. The file is always put back, also on Ctrl-C.
set -uo pipefail

usage() {
  cat <<'EOF'
usage: tests/mutations/plant.sh [--tree DIR] [--only ID,ID,...] [--platform linux|windows]
                                [--out FILE] [--jobs N]

Plants the faults of tests/mutations/faults.txt one at a time into DIR (default:
the repository this script lives in), builds incrementally in DIR/build-mut
(Linux) or DIR/build-mut-windows (MinGW-w64), runs the whole ctest of the
fault's platform (Linux headless with QT_QPA_PLATFORM=offscreen; Windows under
Wine on a virtual display, one fresh Wine prefix for the run) and prints a
markdown table: id | fault | caught by. A fault whose text is no longer found
is "stale"; one whose build fails is "does not compile".

  --only 3,7,12        only these faults
  --platform P         only the faults of one platform (linux or windows)
  --out FILE           also write the table to FILE, row by row as it goes
  --jobs N             build and test parallelism (default 2)

Needs bash, cmake, ctest, perl (the literal replacement, fault_tool.pl), and
for Windows faults the MinGW-w64 cross compiler, wine and xvfb-run.
Exits 1 if any fault was missed, is stale or does not compile.
Logs of every build and test run are kept in DIR/build-mut-logs.
EOF
}

here=$(cd "$(dirname "$0")" && pwd)
list="$here/faults.txt"
tool=(perl "$here/fault_tool.pl")
tree=$(cd "$here/../.." && pwd)
only="" platform="" out="" jobs=2 one_platform=0

while (($#)); do
  case "$1" in
    --tree) tree=$(cd "$2" && pwd) || exit 2; shift 2 ;;
    --only) only="$2"; shift 2 ;;
    --platform) platform="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    --one-platform) one_platform=1; shift ;;  # internal: the run of one platform
    -h | --help) usage; exit 0 ;;
    *) echo "plant.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done
case "$platform" in "" | linux | windows) ;; *) echo "plant.sh: --platform linux|windows" >&2; exit 2 ;; esac

selected() {  # PLATFORM: the chosen ids of that platform, one a line
  local id
  for id in $("${tool[@]}" ids "$list" "$1"); do
    if [[ -z $only ]] || grep -qx "$id" <(tr ',' '\n' <<<"$only"); then echo "$id"; fi
  done
}

row() {
  local line="| $1 | $2 | $3 |"
  echo "$line"
  [[ -n $out ]] && echo "$line" >>"$out"
  return 0
}

# Each platform runs in a process of its own: the Windows one on a virtual
# display with one Wine server and one fresh Wine prefix for all its faults.
if [[ $one_platform == 0 ]]; then
  [[ -n $out ]] && : >"$out"
  linux_ids=$(selected linux) windows_ids=$(selected windows)
  [[ $platform == windows ]] && linux_ids=""
  [[ $platform == linux ]] && windows_ids=""
  [[ -n $linux_ids$windows_ids ]] || { echo "plant.sh: no fault selected" >&2; exit 2; }
  row id fault "caught by"
  row --- --- ---
  status=0
  if [[ -n $linux_ids ]]; then
    "$0" --one-platform --tree "$tree" --only "$(paste -sd, <<<"$linux_ids")" --platform linux \
      ${out:+--out "$out"} --jobs "$jobs" || status=1
  fi
  if [[ -n $windows_ids ]]; then
    WINEPREFIX=$(mktemp -d)
    export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    xvfb-run -a bash -c 'wineserver -p && wineboot -i >/dev/null 2>&1 && "$@"
      result=$?; wineserver -k; exit $result' windows \
      "$0" --one-platform --tree "$tree" --only "$(paste -sd, <<<"$windows_ids")" \
      --platform windows ${out:+--out "$out"} --jobs "$jobs" || status=1
    rm -rf "$WINEPREFIX"
  fi
  exit $status
fi

logs="$tree/build-mut-logs"
mkdir -p "$logs"

mapfile -t ids < <(selected "$platform")

if [[ $platform == windows ]]; then
  build="$tree/build-mut-windows"
  configure=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release)
else
  build="$tree/build-mut"
  # Unoptimised and without debug info: each fault relinks every program, and
  # that, not the tests, is what the run spends its time on.
  configure=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0 -DCMAKE_C_FLAGS_DEBUG=-O0)
  export QT_QPA_PLATFORM=offscreen
fi

# The file being changed and its original bytes: put back on every way out.
planted="" backup=$(mktemp)
restore() {
  if [[ -n $planted ]]; then
    cat "$backup" >"$planted"
    planted=""
  fi
}
trap 'restore; rm -f "$backup"' EXIT
trap 'restore; echo "plant.sh: interrupted; the tree is as it was" >&2; exit 130' INT TERM

# The failed tests' names from ctest's own list, in the suite's order (the
# lowest layer first), without gtest's dump of the parameter: the first three
# and how many more. On Windows ctest knows whole programs only, so the names
# gtest printed for the failed tests of each come first.
failed_tests() {
  {
    if [[ $platform == windows ]]; then
      sed -nE 's/^\[  FAILED  \] ([A-Za-z0-9_/.]+)( \(.*)?\r?$/\1/p' "$1" | awk '!seen[$0]++'
    fi
    sed -n '/The following tests FAILED:/,$p' "$1" |
      sed -nE 's/^[[:space:]]*[0-9]+ - (.*) \([^)]*\)$/\1/p' | sed -E 's/[[:space:]]+# GetParam\(\).*//'
  } |
    awk '{ if (NR <= 3) names = names (NR > 1 ? ", " : "") $0 }
         END { if (NR > 3) names = names " and " NR - 3 " more"; printf "%s", names }'
}

run_suite() {  # LOG: builds and runs every test; 0 all passed, 1 some failed, 2 no build
  if ! cmake --build "$build" -j"$jobs" >"$1.build" 2>&1; then return 2; fi
  ctest --test-dir "$build" -j"$jobs" --timeout 120 --output-on-failure >"$1" 2>&1 && return 0
  return 1
}

start=$SECONDS
echo "plant.sh: ${#ids[@]} $platform faults into $tree (logs in $logs)" >&2
(cd "$tree" && cmake -S . -B "$build" "${configure[@]}" -DREBRANDER_WERROR=ON >"$logs/configure-$platform.log" 2>&1) ||
  { echo "plant.sh: configuring $build failed, see $logs/configure-$platform.log" >&2; exit 2; }
# The unchanged tree must build and pass first, or no result means anything.
run_suite "$logs/baseline-$platform.log"
case $? in
  0) echo "plant.sh: baseline passes ($((SECONDS - start)) s)" >&2 ;;
  1) echo "plant.sh: the unchanged tree fails: $(failed_tests "$logs/baseline-$platform.log")" >&2; exit 2 ;;
  2) echo "plant.sh: the unchanged tree does not build, see $logs/baseline-$platform.log.build" >&2; exit 2 ;;
esac

bad=0
for id in "${ids[@]}"; do
  file=$("${tool[@]}" field "$list" "$id" file)
  fault=$("${tool[@]}" field "$list" "$id" fault)
  fault=${fault//|/\\|}
  began=$SECONDS
  if [[ ! -f $tree/$file ]]; then
    row "$id" "$fault" "stale ($file is gone)"; bad=1; continue
  fi
  cp "$tree/$file" "$backup" || exit 2
  planted="$tree/$file"
  "${tool[@]}" plant "$list" "$id" "$tree"
  case $? in
    0) ;;
    3) restore; row "$id" "$fault" "stale (text not found in $file)"; bad=1; continue ;;
    4) restore; row "$id" "$fault" "stale (text found more than once in $file)"; bad=1; continue ;;
    *) restore; echo "plant.sh: planting fault $id failed" >&2; exit 2 ;;
  esac
  log="$logs/fault-$id.log"
  run_suite "$log"
  status=$?
  restore
  case $status in
    0) row "$id" "$fault" "MISSED"; bad=1 ;;
    1) caught=$(failed_tests "$log")
       row "$id" "$fault" "${caught:-(ctest failed, no test named: see $log)}" ;;
    2) row "$id" "$fault" "does not compile (see $log.build)"; bad=1 ;;
  esac
  echo "plant.sh: fault $id done in $((SECONDS - began)) s" >&2
done
echo "plant.sh: ${#ids[@]} faults in $((SECONDS - start)) s" >&2
exit $bad
