#!/usr/bin/env bash
# Builds the rebrander and the sample E-Book, lays them out side by side in
# demo/, and starts the rebrander.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target rebrander mkrebrander mkebook sample-ebook
scripts/make-demo-folder.sh build demo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "demo/ is ready, but there is no display to show the window on." >&2
  echo "On a desktop, run demo/rebrander; on a server, try: xvfb-run -a demo/rebrander" >&2
  exit 1
fi
exec demo/rebrander
