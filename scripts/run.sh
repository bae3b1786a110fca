#!/usr/bin/env bash
# Starts the application built in $1. option.ini and the default corpus
# x.zorviacorpusdb live beside the executable; on the very first run the
# default corpus is made from the sample texts in res/sample, so that there
# is something to search.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
# What follows the build directory goes to the program (a corpus to open).
[ $# -gt 0 ] && shift
exe="$build/bin/zorvia"
corpus="$build/bin/x.zorviacorpusdb"
if [ ! -e "$corpus" ] && [ -x "$build/bin/zorvia-corpus" ]; then
  echo "Making the default corpus from the sample texts in res/sample ..."
  "$build/bin/zorvia-corpus" "$corpus" import res/sample/orchard.txt res/sample/river.html res/sample/ringo.txt \
    || echo "(could not import the sample texts; the corpus starts empty)"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: DISPLAY and WAYLAND_DISPLAY are unset, so the window cannot open." >&2
  echo "Start it from a desktop session, or under a virtual display: xvfb-run -a $exe" >&2
  exit 1
fi
exec "$exe" "$@"
