#!/usr/bin/env bash
# Runs every benchmark built in $1 on a generated corpus of $2 words and
# prints one line per figure: BENCH <name> <value> <unit>.
set -euo pipefail
build=${1:-build}
size=${2:-1000000}
work="$build/bench-data"
mkdir -p "$work"
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  "$b" --size "$size" --work "$work"
done
