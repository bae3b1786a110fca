#!/usr/bin/env bash
# Installs the build in $1 into a temporary DESTDIR and checks the tree: the
# files, the desktop entry, the AppStream metainfo, the MIME entry, the
# manual pages against the programs' --help, and that --help, --version and
# a bad option are answered without a display. Then builds the Debian
# package and checks it: Debian's file name, the files it holds, and that the
# programs run from an unpacked copy (a headless import of the sample texts
# in $2/res/sample and a search).
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/dest" cmake --install "$build" --prefix /opt/zc > "$work/install.log"
prefix="$work/dest/opt/zc"

# Exactly the expected files.
(cd "$prefix" && find . -type f -printf '%P\n' | sort) > "$work/actual"
grep -v '^#' "$here/installed_files.txt" | sort > "$work/expected"
diff -u "$work/expected" "$work/actual" || fail "installed files differ from installed_files.txt"

# Staged for a package: the prefix's MIME database is left to the system.
[ ! -e "$prefix/share/mime/mime.cache" ] || fail "an install into DESTDIR ran update-mime-database"

desktop-file-validate "$prefix/share/applications/org.zorvia.concordancer.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.zorvia.concordancer.metainfo.xml" > "$work/appstream.log" \
  || { cat "$work/appstream.log"; fail "appstreamcli validate"; }

# The MIME entry: a glob and SQLite as its parent type.
mkdir -p "$work/mime/packages"
cp "$prefix/share/mime/packages/zorvia-concordancer.xml" "$work/mime/packages/"
update-mime-database "$work/mime" 2> /dev/null
grep -qx 'application/x-zorvia-corpus:\*\.zorviacorpusdb' <(cut -d: -f2- "$work/mime/globs2") || fail "MIME glob"
grep -qx 'application/x-zorvia-corpus application/vnd.sqlite3' "$work/mime/subclasses" || fail "MIME parent type"

version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$prefix/share/metainfo/org.zorvia.concordancer.metainfo.xml" | head -1)
for program in zorvia zorvia-corpus zorvia-poke; do
  exe="$prefix/bin/$program"
  env -u DISPLAY -u WAYLAND_DISPLAY "$exe" --help > "$work/help" || fail "$program --help"
  head -1 "$work/help" | grep -q "^Usage: $program " || fail "$program --help: no usage line"
  [ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$exe" --version)" = "$program (Zorvia Concordancer) $version" ] \
    || fail "$program --version is not the metainfo's release $version"
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY "$exe" --no-such-option > /dev/null 2> "$work/err" || status=$?
  [ "$status" = 2 ] && [ "$(wc -l < "$work/err")" = 1 ] || fail "$program: a bad option gave status $status"
  # The manual page is made from the help: every option and every example is there.
  zcat "$prefix/share/man/man1/$program.1.gz" > "$work/page"
  title=${program^^}
  grep -qF ".TH ${title//-/\\-} 1 " "$work/page" || fail "$program.1: no title line"
  grep -o -- '--[a-z][a-z-]*' "$work/help" | sort -u | while read -r option; do
    grep -qF -- "${option//-/\\-}" "$work/page" || fail "$program.1 lacks $option"
  done
  sed -n '/^Examples:/,/^$/p' "$work/help" | grep "^  $program" | sed 's/^  //; s/  .*//' | while read -r example; do
    grep -qF -- "${example//-/\\-}" "$work/page" || fail "$program.1 lacks the example '$example'"
  done
done

# The Debian package.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" > "$work/cpack.log") \
  || { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/out/zorvia-concordancer_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/out"; fail "no $deb"; }
[ "$(dpkg-deb -f "$deb" Package)" = zorvia-concordancer ] || fail "package name"
dpkg-deb -f "$deb" Depends | grep -q 'libwxgtk3.2' || fail "Depends computed without the wx library"

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort > "$work/listed"
diff -u "$work/expected" "$work/listed" || fail "dpkg-deb -c differs from installed_files.txt"

dpkg-deb -x "$deb" "$work/root"
bin="$work/root/usr/bin"
[ "$("$bin/zorvia-corpus" --version)" = "zorvia-corpus (Zorvia Concordancer) $version" ] || fail "zorvia-corpus --version"
env -u DISPLAY -u WAYLAND_DISPLAY "$bin/zorvia" --version > /dev/null || fail "zorvia --version"
db="$work/sample.zorviacorpusdb"
"$bin/zorvia-corpus" "$db" import "$source/res/sample/orchard.txt" "$source/res/sample/river.html" > "$work/import.log" \
  || { cat "$work/import.log"; fail "import"; }
"$bin/zorvia-corpus" "$db" search apple --tsv > "$work/hits"
[ -s "$work/hits" ] && cut -f3 "$work/hits" | grep -qix apple || fail "search found no apple"
echo "install tree and $(basename "$deb") OK"
