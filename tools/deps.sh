#!/usr/bin/env bash
# Installs the Debian 12 packages Kuvaro needs to build, run and test, when they are missing.
set -euo pipefail

packages=(build-essential cmake ninja-build qt6-base-dev qt6-translations-l10n fonts-wine fonts-dejavu-core
          xvfb xauth xdotool x11-utils openbox imagemagick)

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
