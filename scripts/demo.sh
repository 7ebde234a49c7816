#!/usr/bin/env bash
# Builds the library (variant A unless BRIMLET_VARIANT says otherwise) and
# grabs one frame from the simulated camera into frame.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

variant=${BRIMLET_VARIANT:-A}
build="build/demo-$variant"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRIMLET_VARIANT="$variant" -DBRIMLET_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
java=$(sed -n "s/^Java_JAVA_EXECUTABLE:FILEPATH=//p" "$build/CMakeCache.txt")
"$java" -Djava.library.path="$build/jni" \
  -cp "$build/java/stereo-brimlet.jar:$build/java/brimlet-demo.jar" \
  stereo.demo.GrabDemo "${1:-frame.png}"
