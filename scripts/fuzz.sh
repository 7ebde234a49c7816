#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang and runs both at once, each
# for FUZZ_SECONDS (default 60), from the committed corpus in fuzz/corpus.
# Any crash, sanitizer report, hang or broken property fails the run and
# leaves its input in build/fuzz/run-<target>/artifacts: add it to
# fuzz/corpus/<target>/ once fixed, so the C++ tests replay it for good.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD_DIR:-build/fuzz}
targets=(ppm calibration)

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" --target "${targets[@]/%/_fuzzer}"

pids=()
for target in "${targets[@]}"; do
  run="$build/run-$target"
  rm -rf "$run"
  mkdir -p "$run/corpus" "$run/artifacts"
  # New inputs go to the run's own folder; the committed corpus is only read.
  # The length limit sits past the calibration reader's 4096-byte cap.
  "$build/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -max_len=5000 -print_final_stats=1 \
    -artifact_prefix="$run/artifacts/" "$run/corpus" "fuzz/corpus/$target" >"$run/log" 2>&1 &
  pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
  target=${targets[$i]}
  run="$build/run-$target"
  if wait "${pids[$i]}"; then
    echo "fuzz $target: $(grep -E '^stat::number_of_executed_units' "$run/log" | awk '{print $2}') executions," \
      "$(ls "$run/corpus" | wc -l) new corpus inputs, no crash"
  else
    status=1
    echo "fuzz $target: FAILED; the log ends:"
    tail -n 40 "$run/log"
    ls -l "$run/artifacts"
  fi
done
exit $status
