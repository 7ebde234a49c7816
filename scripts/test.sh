#!/usr/bin/env bash
# Builds both variants with warnings as errors and runs every C++ and Java
# test of each, then fuzzes the simulated camera's file readers:
#   A (240 x 320, snapshots) as shipped, with the 10,000-call soak and a short
#     soak under valgrind memcheck;
#   B (120 x 160, no snapshots) with AddressSanitizer, LeakSanitizer and
#     UndefinedBehaviorSanitizer (BRIMLET_SANITIZE), its JVMs preloading the
#     sanitizer runtime.  valgrind and the RSS check need the unsanitized build,
#     which is why the sanitizers go to B.
#   scripts/fuzz.sh: each libFuzzer target for FUZZ_SECONDS (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
for variant in A B; do
  build="build/test-$variant"
  if [[ $variant == A ]]; then
    options=(-DBRIMLET_SANITIZE=OFF -DBRIMLET_SOAK_CALLS=10000)
    sanitizerOptions=()
  else
    # Sanitized calls are slow; LeakSanitizer, not the resident size, is the
    # leak check there, so a shorter soak does.  Benchmarks are no test.
    options=(-DBRIMLET_SANITIZE=ON -DBRIMLET_SOAK_CALLS=500 -DBRIMLET_BUILD_BENCHMARKS=OFF)
    # For the C++ tests; the Java tests get theirs from CMake.
    sanitizerOptions=(ASAN_OPTIONS=detect_leaks=1:exitcode=86 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)
  fi
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBRIMLET_VARIANT="$variant" -DBRIMLET_WARNINGS_AS_ERRORS=ON "${options[@]}" >/dev/null
  cmake --build "$build" -j "$jobs"
  echo "== variant $variant"
  env "${sanitizerOptions[@]}" ctest --test-dir "$build" -j "$jobs" --output-on-failure
  # The soak's figures, which ctest shows only on failure.
  grep -h -A2 "soak: " "$build/Testing/Temporary/LastTest.log" || true
done

echo "== fuzzing"
scripts/fuzz.sh
