#!/usr/bin/env bash
# Builds both variants (A: 240 x 320 with snapshots, B: 120 x 160 without)
# with warnings as errors and runs every C++ and Java test of each.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
for variant in A B; do
  build="build/test-$variant"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBRIMLET_VARIANT="$variant" -DBRIMLET_WARNINGS_AS_ERRORS=ON >/dev/null
  cmake --build "$build" -j "$jobs"
  echo "== variant $variant"
  ctest --test-dir "$build" -j "$jobs" --output-on-failure
done
