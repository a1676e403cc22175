#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# Further packages a script needs may be named as arguments.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine64 python3
  xvfb xdotool x11-utils imagemagick fonts-nanum locales
  nginx-light
  nsis
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The journeys also run on a Korean system: wine takes its ANSI code page (949)
# from the ko_KR.UTF-8 locale, which has to be generated first.
if ! locale -a 2>/dev/null | grep -qix 'ko_KR.utf8'; then
  echo "Generating the ko_KR.UTF-8 locale"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo sed -i 's/^# *\(ko_KR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -qx 'ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
