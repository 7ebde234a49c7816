#!/usr/bin/env bash
# Runs every benchmark in Release builds of both variants and prints their
# tables: the channel fills (with the memcpy floor, the plain loops and
# OpenCV), a simulated call's camera and stereo work next to a copy of the row
# buffer, and whole calls from Java.  Run it on an otherwise idle machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
# OpenCV is the fills' speed reference only; nothing else needs it.
if ! dpkg-query -W -f='${Status}' libopencv-dev 2>/dev/null | grep -q "install ok installed"; then
  sudo=""; [[ $(id -u) -eq 0 ]] || sudo="sudo"
  $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq libopencv-dev >/dev/null
fi

out="$root/build/bench-results"
mkdir -p "$out"
for variant in A B; do
  build="$root/build/bench-$variant"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRIMLET_VARIANT="$variant" \
    -DBRIMLET_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j "$(nproc)" >/dev/null
done

echo "== channel fills"
"$root/build/bench-A/bench/channel_fill_bench" --benchmark_repetitions=9 --benchmark_report_aggregates_only=true \
  --benchmark_out="$out/fills.json" --benchmark_out_format=json >/dev/null
python3 "$root/bench/compare.py" "$out/fills.json" || true

echo "== simulated camera and stereo work of one call"
"$root/build/bench-A/simulator/bench/simulated_call_bench" --benchmark_repetitions=9 \
  --benchmark_report_aggregates_only=true 2>/dev/null | grep -E "median|Benchmark"

echo "== whole calls from Java"
java=$(sed -n "s/^Java_JAVA_EXECUTABLE:FILEPATH=//p" "$root/build/bench-A/CMakeCache.txt")
for variant in A B; do
  build="$root/build/bench-$variant"
  (cd "$out" && "$java" -Xms512m -Xmx512m -Djava.library.path="$build/jni" \
    -cp "$build/java/stereo-brimlet.jar:$build/bench/brimlet-call-bench.jar" stereo.bench.CallBenchmark)
done
