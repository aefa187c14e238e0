#!/usr/bin/env bash
# Renders docs/screenshots/*.png from the real windows under Xvfb: the main window with a planned
# day, the totals window with a calculation, the same against daily targets, its chart and the
# food grid.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-missing.sh xvfb xauth
scripts/setup.sh build
cmake --build build --target platewell_screenshots
mkdir -p docs/screenshots
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" build/docs/platewell_screenshots docs/screenshots
