#!/usr/bin/env bash
# Installs what is missing, builds Platewell and starts it on its default Platewell folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
exec build/src/platewell "$@"
