#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. The whole suite runs inside one
# Xvfb server: tests that need a real X server use it, the rest set Qt's offscreen platform.
# Then the installation and the Debian package are checked (scripts/check-install.sh).
# Then each file loader is fuzzed for 30 seconds (build-fuzz/), and the suite runs again
# built with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/; unoptimised,
# which builds faster).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
(cd build && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j2)
scripts/check-install.sh build

scripts/fuzz.sh 30

echo "Running the tests again under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DSMELT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j2)
