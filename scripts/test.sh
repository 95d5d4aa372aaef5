#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. The whole suite runs inside one
# Xvfb server: tests that need a real X server use it, the rest set Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
cd build
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j2
