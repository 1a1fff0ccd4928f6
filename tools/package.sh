#!/usr/bin/env bash
# Builds the Debian package dist/kuvaro_<version>_<arch>.deb: a Release build in
# build-package/, installed by its own install rules (cmake/Install.cmake) into
# a staging tree, completed with what Debian's helpers would add (compressed
# manual page and changelog, md5sums, a control file whose Depends come from
# dpkg-shlibdeps) and packed with dpkg-deb.
#
#   --build-dir DIR   package the build in DIR as it is, without configuring or
#                     building it (the package test reuses the test build)
#   --output DIR      write the package into DIR instead of dist/
#
# Install the result with: sudo apt install ./dist/kuvaro_<version>_amd64.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-package"
out="$root/dist"
reuse=0

while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build="$(realpath "$2")"; reuse=1; shift 2 ;;
    --output) out="$2"; shift 2 ;;
    *) echo "usage: $0 [--build-dir DIR] [--output DIR]" >&2; exit 2 ;;
  esac
done

if [ "$reuse" -eq 0 ]; then
  "$root/tools/deps.sh"
  # Debian's compiler and linker flags, with every hardening feature.
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKUVARO_BUILD_TESTS=OFF -DKUVARO_BUILD_BENCH=OFF
  cmake --build "$build" --target kuvaro --parallel "$(nproc)"
fi

# Version, release date, maintainer and program folder, as the build has them.
# shellcheck source=/dev/null
source "$build/install/package-info.sh"
arch="$(dpkg --print-architecture)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Laid out as a source package's tree, where dpkg-shlibdeps expects the
# package's files: debian/control names the package, debian/kuvaro holds it.
stage="$work/debian/kuvaro"
doc="$stage/usr/share/doc/kuvaro"

DESTDIR="$stage" cmake --install "$build" --prefix /usr --strip >/dev/null

gzip -9n "$stage/usr/share/man/man1/kuvaro.1"
cat > "$work/changelog" <<EOF
kuvaro ($KUVARO_VERSION) unstable; urgency=medium

  * Release $KUVARO_VERSION.

 -- $KUVARO_PACKAGE_MAINTAINER  $(LC_ALL=C date -u -R -d "$KUVARO_RELEASE_DATE")
EOF
gzip -9n -c "$work/changelog" > "$doc/changelog.gz"
chmod 644 "$doc/changelog.gz"

# The libraries the program links, in the versions it needs. dpkg-shlibdeps
# knows the package's root by its DEBIAN folder.
mkdir -p "$stage/DEBIAN"
printf 'Source: kuvaro\n\nPackage: kuvaro\nArchitecture: any\n' > "$work/debian/control"
shlibs="$(cd "$work" && dpkg-shlibdeps -O "-edebian/kuvaro/usr/$KUVARO_PROGRAM_DIR/kuvaro" | sed -n 's/^shlibs:Depends=//p')"
[ -n "$shlibs" ] || { echo "dpkg-shlibdeps found no libraries" >&2; exit 1; }
# What the program loads at run time without linking it: the platform and
# picture format plugins, Qt's German texts and the fonts the layout is
# measured with.
runtime="qt6-qpa-plugins, qt6-image-formats-plugins, qt6-translations-l10n, fonts-wine, fonts-urw-base35 | fonts-liberation, fonts-dejavu-core"

cat > "$stage/DEBIAN/control" <<EOF
Package: kuvaro
Version: $KUVARO_VERSION
Architecture: $arch
Maintainer: $KUVARO_PACKAGE_MAINTAINER
Installed-Size: $(du -sk --exclude=DEBIAN "$stage" | cut -f1)
Depends: $shlibs, $runtime
Section: non-free/science
Priority: optional
Description: digitizer for X,Y diagrams in pictures
 Kuvaro turns pictures of X,Y diagrams into numbers, such as scanned
 characteristic curves from data sheets that exist only as a picture.
 Three right clicks calibrate the axes; left clicks capture the curve.
 Kuvaro shows the values under the cursor and a magnifier, computes the
 signed area under the captured polyline and saves the points as a CSV
 file with spreadsheet formulas.
 .
 The program speaks German.
EOF
(cd "$stage" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) > "$stage/DEBIAN/md5sums"
chmod 644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

mkdir -p "$out"
deb="$out/kuvaro_${KUVARO_VERSION}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "$deb"
