#!/usr/bin/env bash
# Builds everything and runs every test: once as shipped, once under
# AddressSanitizer and UndefinedBehaviorSanitizer; then fuzzes every reader of
# a file for a bounded time; then cross-builds the Windows programs and runs
# their tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
results=$(mktemp -d)  # each ctest run's results, counted at the end
trap 'rm -rf "$results"' EXIT

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREBRANDER_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --output-junit "$results/linux.xml"

# The authoring kit installed into a staging folder and run end to end, and its .deb.
scripts/test-installed-kit.sh build

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DREBRANDER_WERROR=ON \
  -DREBRANDER_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs" \
  --output-junit "$results/sanitize.xml"

# Fuzzing, under AddressSanitizer and UndefinedBehaviorSanitizer: each target
# for a bounded time, starting from the seeds in the repository. New inputs
# and findings go to a scratch folder, never into the repository; any crash,
# leak or outsized allocation fails the run and keeps the folder.
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_COMPILER=clang-14 -DREBRANDER_WERROR=ON -DREBRANDER_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$jobs"
fuzz_work=$(mktemp -d)
total=0
fuzz_targets=(rebrand_info load_table store_table journal_recovery ebookvars)
for target in "${fuzz_targets[@]}"; do
  mkdir -p "$fuzz_work/$target"
  log="$fuzz_work/$target.log"
  if ! TMPDIR="$fuzz_work" ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "build-fuzz/tests/fuzz/${target}_fuzzer" -max_total_time=15 -timeout=10 -max_len=8192 \
    -rss_limit_mb=1024 -malloc_limit_mb=64 -print_final_stats=1 -artifact_prefix="$fuzz_work/" \
    "$fuzz_work/$target" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "Fuzz target $target failed; its inputs and log are in $fuzz_work" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "Fuzzed $target: $runs executions"
  total=$((total + runs))
done
rm -rf "$fuzz_work"
echo "Fuzzed $total executions in all: no crash, leak or outsized allocation"

# Windows: the core and its tests cross-built with MinGW-w64 and run under
# Wine, in a prefix of this run's own, on a virtual display for the window
# tests: the end-to-end run in a folder no code page can name, once more under
# code page 932, and the check of the built programs' headers and resources.
# Mono and Gecko are not needed and not asked for.
windows_start=$SECONDS
WINEPREFIX=$(mktemp -d)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX" "$results"' EXIT
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DREBRANDER_LINUX_BUILD="$PWD/build" \
  -DCMAKE_BUILD_TYPE=Release -DREBRANDER_WERROR=ON >/dev/null
cmake --build build-windows -j"$jobs"
# Stripped, rebrander.exe stays within 1.5 times a bare wizard linked the same way.
size=$(stat -c %s build-windows/ui/rebrander.exe)
bare=$(stat -c %s build-windows/bench/bare_wizard.exe)
echo "rebrander.exe: $size bytes, bare wizard: $bare bytes"
if [ $((size * 2)) -gt $((bare * 3)) ]; then
  echo "rebrander.exe is more than 1.5 times the bare wizard" >&2
  exit 1
fi
# One server for the whole run, and Wine's own services started by wineboot
# with their output elsewhere: a service started by a test would hold ctest's
# output open for as long as it runs.
xvfb-run -a bash -c 'wineserver -p && wineboot -i >/dev/null 2>&1 && "$@"' windows \
  ctest --test-dir build-windows --output-on-failure -j"$jobs" \
  --output-junit "$results/windows.xml"
# The Windows kit as authors get it.
scripts/make-windows-kit.sh build-windows "$results/kit.zip" >/dev/null
echo "Windows stage: $((SECONDS - windows_start)) s"

# What ran, from each ctest run's results.
count() {  # FILE ATTRIBUTE: the number the JUnit test suite gives
  { grep -m1 -o "$2=\"[0-9]*\"" "$1" || echo 0; } | tr -dc 0-9
}
passed=0 failed=0
for xml in "$results"/*.xml; do
  passed=$((passed + $(count "$xml" tests) - $(count "$xml" failures) - $(count "$xml" skipped)))
  failed=$((failed + $(count "$xml" failures)))
done
echo "all: $((passed + ${#fuzz_targets[@]})) passed, $failed failed"
