#!/usr/bin/env bash
# Removes what the last `make install` from the build in $1 put under its
# prefix (listed in $1/installed-files.txt), then the program's data and
# documentation directories when they are empty, and brings the prefix's MIME and desktop
# databases up to date again.
set -euo pipefail
manifest=${1:-build}/installed-files.txt
[ -f "$manifest" ] || { echo "Nothing installed from ${1:-build}: $manifest is missing." >&2; exit 1; }
css=$(grep '/share/zorvia-concordancer/general.css$' "$manifest" || true)
xargs -d '\n' rm -f -- < "$manifest"
# The directories of the program's own (data, documentation), when empty.
xargs -d '\n' -n 1 dirname < "$manifest" | sort -u | grep '/zorvia-concordancer$' | while read -r dir; do
  if [ -d "$dir" ]; then rmdir --ignore-fail-on-non-empty "$dir"; fi
done
if [ -n "$css" ]; then
  share=${css%/zorvia-concordancer/general.css}
  # Only databases that the install brought up to date.
  if [ -f "$share/mime/mime.cache" ] && command -v update-mime-database >/dev/null; then
    update-mime-database "$share/mime"
  fi
  if [ -f "$share/applications/mimeinfo.cache" ] && command -v update-desktop-database >/dev/null; then
    update-desktop-database -q "$share/applications"
  fi
fi
rm -f "$manifest"
echo "Removed the files that make install had installed."
