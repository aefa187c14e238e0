#!/usr/bin/env bash
# Installs what Platewell needs to build and test on Debian 12, then configures and builds it. The
# tests start PostgreSQL servers of their own with the server programs of the postgresql package.
# Usage: scripts/setup.sh [build-dir] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-missing.sh cmake g++ make qt6-base-dev libqt6sql6-sqlite libsqlite3-dev libicu-dev qt6-qpa-plugins libqt6svg6 librsvg2-bin poppler-utils sqlite3 fonts-dejavu-core libzip-dev zlib1g-dev \
    qt6-charts-dev libqt6opengl6-dev qt6-svg-dev libpq-dev postgresql

build="${1:-build}"
shift || true
# CI sets PLATEWELL_WERROR=ON so that a new warning fails it; a user's build only warns.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLATEWELL_WERROR="${PLATEWELL_WERROR:-OFF}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
