#!/bin/sh
# Runs a Windows program under Wine on a virtual display of its own. The
# display stays until Wine's server has shut down, so that none of Wine's
# helper processes loses its display while still running.
exec xvfb-run -a sh -c '"$@"; status=$?; wineserver -w; exit $status' sh "$@"
