#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. On the first start
# (no ini in the work folder yet) the test data folder is filled with demo
# data so that a newcomer lands in a populated program.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
orvix_install_deps

build=build-release
launcher=()
# A compiler cache, where the developer has one, makes rebuilds quick.
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release -DORVIX_BUILD_TESTS=OFF -DORVIX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

program_dir="$PWD/$build"
if [ -f "$program_dir/Orvix_Szamla.ini" ]; then
  work="$program_dir"
else
  work="${XDG_DATA_HOME:-$HOME/.local/share}/Orvix_Szamla"
fi
if [ ! -f "$work/Orvix_Szamla.ini" ] && [ ! -f "$work/Data/szamla.sqlite3" ]; then
  echo "Első indítás: a teszt adatbázis feltöltése mintaadatokkal ($work/Data)"
  "$program_dir/Orvix_Szamla_Cli" demo-data "$work/Data"
fi
exec "$program_dir/Orvix_Szamla" "$@"
