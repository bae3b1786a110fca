#!/usr/bin/env bash
# Starts the application built in $1; option.ini and the default corpus
# x.zorviacorpusdb live beside the executable.
set -euo pipefail
build=${1:-build}
exe="$build/bin/zorvia"
if [ ! -x "$exe" ]; then
  echo "The corpus core is built; the application window comes next (no $exe yet)."
  exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: DISPLAY and WAYLAND_DISPLAY are unset, so the window cannot open." >&2
  echo "Run it from a desktop session, or under a virtual display: xvfb-run -a $exe" >&2
  exit 1
fi
exec "$exe"
