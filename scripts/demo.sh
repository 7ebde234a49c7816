#!/usr/bin/env bash
# Builds the library (variant A unless BRIMLET_VARIANT says otherwise) and
# grabs a frame from the simulated camera into frame-rgb.png and
# frame-hsv.png in the current folder; arguments go to the demo:
#   [--frames N] [--record DIR] [OUT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

variant=${BRIMLET_VARIANT:-A}
build="$root/build/demo-$variant"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRIMLET_VARIANT="$variant" \
  -DBRIMLET_BUILD_TESTS=OFF -DBRIMLET_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
java=$(sed -n "s/^Java_JAVA_EXECUTABLE:FILEPATH=//p" "$build/CMakeCache.txt")
exec "$java" -Djava.library.path="$build/jni" \
  -cp "$build/java/stereo-brimlet.jar:$build/java/brimlet-demo.jar" \
  stereo.demo.GrabDemo "$@"
