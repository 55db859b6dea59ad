#!/usr/bin/env bash
# Packs build/ into the Debian package, as scripts/package does after building.
# Usage: pack.sh BUILD_DIR
set -euo pipefail
build=$1
rm -f "$build"/package/*.deb
cpack --config "$build/CPackConfig.cmake"
