#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Sourced by run.sh and test.sh.
orvix_packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev qt6-qpa-plugins qt6-translations-l10n
  libqt6sql6-sqlite libsqlite3-dev libgl-dev
  pxlib-dev libxlsxwriter-dev libcurl4-openssl-dev libzip-dev libshp-dev
  fonts-dejavu-core
  libxml2-utils libxml2-dev poppler-utils xvfb xauth python3-aiosmtpd python3-dbfread unzip
  sqlite3 python3 xdg-utils
)

orvix_install_deps() {
  local missing=()
  local p
  for p in "${orvix_packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Hiányzó csomagok telepítése: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
