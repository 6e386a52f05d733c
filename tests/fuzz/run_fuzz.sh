#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for a bounded
# time. A crash leaves its input in the build directory; turn it into a
# regression test.
#   tests/fuzz/run_fuzz.sh <build dir> <seconds per target>
# CI runs 20 s per target; a long run before a release, ten minutes each:
#   tests/fuzz/run_fuzz.sh build/fuzz 600
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
seconds=${2:-20}
cd "$root"
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKURVLUX_FUZZ=ON >/dev/null
targets=()
for source in tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}" >"$build/build.log" 2>&1 ||
  { tail -n 30 "$build/build.log"; exit 1; }
status=0
for source in tests/fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  if (cd "$build" && "./$name" -max_total_time="$seconds" -print_final_stats=1 "corpus/$name") \
    >"$build/$name.log" 2>&1; then
    echo "fuzz target ok: $name ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$build/$name.log" | awk '{print $2}') runs)"
  else
    echo "fuzz target FAILED: $name (see $build/$name.log)"
    tail -n 30 "$build/$name.log"
    status=1
  fi
done
exit "$status"
