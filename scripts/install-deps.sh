#!/usr/bin/env bash
# Installs the Debian 12 packages this project needs to build, test and run;
# with --fuzz also clang and libFuzzer (scripts/fuzz.sh).
# Safe to run again: packages already present are skipped.
set -euo pipefail

PKGS=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc
  libgl-dev libxkbcommon-dev
  libsqlite3-dev libpq-dev
  libquazip1-qt6-dev
  unixodbc odbc-postgresql libsqliteodbc tdsodbc
  postgresql-15 postgresql-client-15
  libbenchmark-dev
  xvfb xauth xdotool imagemagick openbox wmctrl sqlite3 x11-xkb-utils locales
  fonts-wine fonts-liberation
  binutils python3 python3-openpyxl
  dpkg-dev file lintian
  sqlfluff
)
if [ "${1:-}" = "--fuzz" ]; then
  PKGS+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
if [ "$(id -u)" -ne 0 ]; then
  sudo apt-get update -qq
  sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
