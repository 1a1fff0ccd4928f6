#!/usr/bin/env bash
# Builds the package from the build tree and checks it: the program with its
# sample in one folder and the command that reaches it, menu entry, icons,
# AppStream data and documentation; the version carried by package and
# metainfo; the run-time Depends; the three validators.
set -uo pipefail
source_dir=$1 build_dir=$2

missing=()
for tool in dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli readelf file; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIP: missing ${missing[*]} (tools/deps.sh installs them)"
  exit 77
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
deb="$("$source_dir/tools/package.sh" --build-dir "$build_dir" --output "$work")" || { echo "FAIL: tools/package.sh"; exit 1; }
[ -f "$deb" ] || { echo "FAIL: no package at '$deb'"; exit 1; }
echo "package: $(basename "$deb")"

# ------------------------------------------------------------------ file list
listing="$(dpkg-deb -c "$deb" | awk '{ $2 = $3 = $4 = $5 = ""; print }' | sed 's/  */ /g')"
has() { grep -qxF -- "$1" <<<"$listing" || fail "the package lacks: $1"; }
has "-rwxr-xr-x ./usr/lib/kuvaro/kuvaro"
has "-rw-r--r-- ./usr/lib/kuvaro/Beispieldiagramm.bmp"
has "lrwxrwxrwx ./usr/bin/kuvaro -> ../lib/kuvaro/kuvaro"
has "-rw-r--r-- ./usr/share/applications/de.kuvaro.Kuvaro.desktop"
has "-rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/de.kuvaro.Kuvaro.svg"
for size in 16 32 48 64 128 256; do
  has "-rw-r--r-- ./usr/share/icons/hicolor/${size}x${size}/apps/de.kuvaro.Kuvaro.png"
done
has "-rw-r--r-- ./usr/share/metainfo/de.kuvaro.Kuvaro.metainfo.xml"
has "-rw-r--r-- ./usr/share/doc/kuvaro/copyright"
has "-rw-r--r-- ./usr/share/doc/kuvaro/changelog.gz"
has "-rw-r--r-- ./usr/share/man/man1/kuvaro.1.gz"

tree="$work/tree"
dpkg-deb -x "$deb" "$tree"
cmp -s "$tree/usr/lib/kuvaro/Beispieldiagramm.bmp" "$source_dir/resources/Beispieldiagramm.bmp" ||
  fail "the installed sample differs from resources/Beispieldiagramm.bmp"
for size in 16 32 48 64 128 256; do
  [[ $(file -b "$tree/usr/share/icons/hicolor/${size}x${size}/apps/de.kuvaro.Kuvaro.png") == "PNG image data, $size x $size,"* ]] ||
    fail "the ${size}x${size} icon is not a PNG of that size"
done
# Stripping must keep the version table the information dialog reads.
[[ $(readelf -S "$tree/usr/lib/kuvaro/kuvaro") == *' .kuvaro_verinfo '* ]] || fail "the installed program lost its version table"

# ---------------------------------------------------------- version, Depends
version="$(dpkg-deb -f "$deb" Version)"
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "package version '$version'"
[[ $(basename "$deb") == "kuvaro_${version}_$(dpkg --print-architecture).deb" ]] || fail "file name $(basename "$deb")"
grep -q "<release version=\"$version\" date=\"[0-9]\{4\}-[0-9]\{2\}-[0-9]\{2\}\"/>" \
  "$tree/usr/share/metainfo/de.kuvaro.Kuvaro.metainfo.xml" || fail "the metainfo has no release $version"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for dep in 'libqt6widgets6 (>= ' 'libc6 (>= ' qt6-qpa-plugins qt6-translations-l10n qt6-image-formats-plugins fonts-wine 'fonts-urw-base35 | fonts-liberation' fonts-dejavu-core; do
  [[ ", $depends," == *", $dep"* ]] || fail "Depends lacks $dep"
done

# ----------------------------------------------------------------- validators
desktop-file-validate "$tree/usr/share/applications/de.kuvaro.Kuvaro.desktop" || fail "desktop-file-validate"
# The tree check also finds the desktop entry the metainfo launches.
appstreamcli validate-tree --no-net "$tree" || fail "appstreamcli validate-tree"
lintian --fail-on error --display-info "$deb" 2>&1 | grep -v '^running with root privileges'
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian reports errors"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package checks passed"
