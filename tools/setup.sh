#!/usr/bin/env bash
# Installs the Debian packages Melvora needs that are missing; safe to run again.
#   tools/setup.sh          packages to build and run the program
#   tools/setup.sh --tests  also the packages for tests, benchmarks and screenshots
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libsdl2-dev libpulse-dev
          qt6-translations-l10n libmpg123-dev libtag1-dev libicu-dev libx11-dev libxkbcommon-dev fonts-noto-cjk
          fonts-arphic-ukai)
if [[ "${1:-}" == "--tests" ]]; then
  packages+=(xvfb xdotool x11-utils x11-xserver-utils imagemagick lame sox mpg123
             pulseaudio pulseaudio-utils pipewire wireplumber pipewire-pulse dbus libbenchmark-dev
             desktop-file-utils librsvg2-bin clang libclang-rt-14-dev openbox xauth appstream man-db playerctl)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
[[ "$(id -u)" -ne 0 ]] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
