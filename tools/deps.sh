#!/usr/bin/env bash
# Installs the Debian 12 packages Kuvaro needs to build, run and test, when they are missing.
set -euo pipefail

# Build and run: compiler, CMake, Qt with its German texts and the picture
# format plugins (TIFF, WebP), the fonts the layout is measured with.
# Tests: Xvfb, openbox, xdotool, xclip and ImageMagick drive and look at the
# real program; clang and its runtimes build the sanitizer and fuzzing runs;
# the package checks need lintian, desktop-file-utils and appstream.
packages=(build-essential cmake ninja-build qt6-base-dev qt6-translations-l10n qt6-image-formats-plugins
          fonts-wine fonts-dejavu-core fonts-dejavu-extra fonts-urw-base35 fonts-liberation
          xvfb xauth xdotool x11-utils openbox imagemagick xclip
          clang libclang-rt-14-dev
          dpkg-dev lintian desktop-file-utils appstream)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
