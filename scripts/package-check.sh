#!/usr/bin/env bash
# Builds the Debian package in a built build directory (default build/) and checks it:
# its file list and dependencies, the same files from cmake --install with DESTDIR, the
# installed programs run from a scratch root on the installed example, and lintian,
# desktop-file-validate and appstreamcli on what it installs.
# Usage: scripts/package-check.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "package check: $*" >&2; exit 1; }

rm -f "$build"/tallowick2_*.deb
(cd "$build" && cpack -G DEB >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack failed"; }
debs=("$build"/tallowick2_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack wrote no tallowick2 package"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"

# The file list: what the package must hold, and nothing outside its places.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./|/|' | sort >"$scratch/files"
app=/usr/share/applications/org.tallowick2.Tallowick2.desktop
metainfo=/usr/share/metainfo/org.tallowick2.Tallowick2.metainfo.xml
required=(/usr/bin/tallowick2 /usr/bin/tallowick2-model
  /usr/libexec/tallowick2/corvane /usr/libexec/tallowick2/hadleck /usr/libexec/tallowick2/fennel1
  /usr/libexec/tallowick2/tallowick2-chart.so
  /usr/share/tallowick2/examples/example.inp /usr/share/tallowick2/examples/captures.cap
  /usr/share/tallowick2/examples/sites.inp /usr/share/tallowick2/examples/sites-convert.inp
  /usr/share/doc/tallowick2/README.md /usr/share/doc/tallowick2/docs/cli.md
  /usr/share/doc/tallowick2/copyright /usr/share/doc/tallowick2/changelog.gz
  "$app" "$metainfo"
  /usr/share/icons/hicolor/scalable/apps/tallowick2.svg /usr/share/icons/hicolor/256x256/apps/tallowick2.png
  /usr/share/man/man1/tallowick2.1.gz /usr/share/man/man1/tallowick2-model.1.gz)
for file in "${required[@]}"; do
  grep -qxF "$file" "$scratch/files" || fail "the package lacks $file"
done
places='^/usr/(bin/tallowick2(-model)?|libexec/tallowick2/[^/]+|share/(tallowick2|doc/tallowick2)/.+'
places+='|share/applications/[^/]+\.desktop|share/metainfo/[^/]+\.metainfo\.xml'
places+='|share/icons/hicolor/(scalable|256x256)/apps/tallowick2\.(svg|png)|share/man/man1/[^/]+\.1\.gz)$'
if grep -vE "$places" "$scratch/files"; then
  fail "the files above lie outside the package's places"
fi
for library in libc6 libstdc++6 libqt6widgets6; do
  dpkg-deb -f "$deb" Depends | grep -q "\b$library\b" || fail "the package does not depend on $library"
done

# cmake --install puts the same files in the same places.
DESTDIR="$scratch/destdir" cmake --install "$build" --prefix /usr >/dev/null
(cd "$scratch/destdir" && find . ! -type d | sed 's|^\.||' | sort) >"$scratch/installed"
diff -u "$scratch/files" "$scratch/installed" || fail "cmake --install and the package differ"

# The package unpacked into a scratch root: its programs run on its example.
root=$scratch/root
dpkg-deb -x "$deb" "$root"
mkdir "$scratch/work"
cd "$scratch/work"
example=$root/usr/share/tallowick2/examples/example.inp
"$root/usr/bin/tallowick2-model" --read-pims "$example" --write-pims copy.inp --point --write-constraints cons.inp \
  2>messages.txt || { cat messages.txt; fail "the installed tallowick2-model failed on the installed example"; }
cmp -s copy.inp "$example" || fail "the installed example saved again differs from itself"
grep -qx "New CORVANE input file saved as cons.inp" messages.txt || fail "no constraints-form save: $(cat messages.txt)"
# The installed program finds its drawing module and draws without a display.
env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/tallowick2-model" --read-pims "$example" --describe-blocks \
  --chart chart.png --chart chart.pdf >blocks.txt 2>messages.txt || { cat messages.txt; fail "the installed --chart"; }
[ "$(wc -l <blocks.txt)" -eq 24 ] || fail "--describe-blocks of the installed example: $(cat blocks.txt)"
head -c 4 chart.png | grep -q PNG && head -c 5 chart.pdf | grep -q %PDF- || fail "the installed --chart drew nothing"
examples=$root/usr/share/tallowick2/examples
"$root/usr/bin/tallowick2-model" --read-constraints "$examples/sites.inp" --convert "$examples/sites-convert.inp" \
  --write-pims sites-pims.inp 2>messages.txt || { cat messages.txt; fail "the installed constraints example"; }
echo "i=\"$example\" l=\"engine.out\"" | "$root/usr/libexec/tallowick2/corvane" >/dev/null
[ -s engine.out ] && ! grep -q "KESTON ERROR" engine.out || fail "the installed corvane did not accept the example"
[ "$("$root/usr/bin/tallowick2-model" --version)" = "tallowick2-model $version" ] || fail "tallowick2-model --version"
[ "$("$root/usr/bin/tallowick2" --version)" = "tallowick2 $version" ] || fail "tallowick2 --version"
zcat "$root/usr/share/doc/tallowick2/changelog.gz" | head -n 1 | grep -qF "tallowick2 ($version) " \
  || fail "packaging/changelog does not begin with version $version"
grep -qF "<release version=\"$version\"" "$root$metainfo" || fail "the metainfo lists no release $version"
cd - >/dev/null

# Desktop entry, AppStream metainfo and Debian's checks.
report=$(desktop-file-validate "$root$app" 2>&1) && [ -z "$report" ] || fail "desktop-file-validate: $report"
appstreamcli validate --no-net "$root$metainfo" || fail "appstreamcli validate"
lintian_status=0
lintian --display-info --fail-on error,warning "$deb" >"$scratch/lintian.txt" 2>&1 || lintian_status=$?
grep -v "^running with root privileges" "$scratch/lintian.txt" || true
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors or warnings"
echo "package check: passed"
