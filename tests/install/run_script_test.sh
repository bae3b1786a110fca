#!/usr/bin/env bash
# `make run` starts the program through scripts/run.sh with the build
# directory as its first argument: the program gets only what follows it
# (a corpus to open), never the build directory itself.
set -euo pipefail
source=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build/bin"
# A stand-in for the program that writes down its arguments.
printf '#!/bin/sh\nprintf "%%s\\n" "$#" "$@" > "%s/args"\n' "$work" > "$work/build/bin/zorvia"
chmod +x "$work/build/bin/zorvia"
: > "$work/build/bin/x.zorviacorpusdb"

check() {
  local expected=$1
  shift
  DISPLAY=:0 "$source/scripts/run.sh" "$work/build" "$@"
  local actual
  actual=$(tr '\n' ' ' < "$work/args")
  [ "$actual" = "$expected" ] || { echo "FAIL: run.sh $*: the program got '$actual', expected '$expected'" >&2; exit 1; }
}
check "0 "
check "1 other.zorviacorpusdb " other.zorviacorpusdb
