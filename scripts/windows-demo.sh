#!/usr/bin/env bash
# Cross-builds the Windows programs, lays out demo-windows/ with the Windows
# sample E-Book beside rebrander.exe stamped for it, and starts the rebrander
# under Wine. The folder can be copied to a Windows machine as it is.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target mkrebrander mkebook
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-windows -j"$(nproc)" --target rebrander sample-ebook
scripts/make-demo-folder.sh --windows build-windows build demo-windows

if [ -z "${DISPLAY:-}" ]; then
  echo "demo-windows/ is ready, but there is no display to show the window on." >&2
  echo "Copy it to Windows and run rebrander.exe, or here: xvfb-run -a wine demo-windows/rebrander.exe" >&2
  exit 1
fi
exec wine demo-windows/rebrander.exe
