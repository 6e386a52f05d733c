#!/usr/bin/env bash
# Throughput run of the Linux program (`tools/throughput.sh --native` comes
# here): for each baud rate the board simulator feeds `kurvlux` a counting
# ramp at the line rate in "Oszilloskop" with "aus"; then "schneller Plot"
# fed at 25000 bytes per second. The figures are what the status bar showed,
# read through the accessibility bus once a second.
#   tools/throughput_native.sh [seconds per run, default 12] [baud rates...]
# It exits non-zero when a run gave no result or the program did not connect.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage() { sed -n '2,8p' tools/throughput_native.sh | sed 's/^# \{0,1\}//'; }
source tools/throughput/arguments.sh
arguments_options "$@"
seconds=${1:-12}
arguments_count seconds "$seconds"
shift || true
rates=("$@")
for rate in "${rates[@]}"; do arguments_count "baud rate" "$rate"; done
[ ${#rates[@]} -gt 0 ] || rates=(250000 921600 1843200)

source tools/throughput/native_build.sh
native_build throughput-native-build

# KURVLUX_NATIVE_DIR runs the program of another build folder beside this
# build's probe (see tools/throughput_rate.sh).
run() {
  KURVLUX_E2E_NAME=throughput KURVLUX_E2E_PROBE=build/native/throughput_probe KURVLUX_SECONDS=$seconds \
    tests/e2e_linux/run_e2e_linux.sh "${KURVLUX_NATIVE_DIR:-build/native}" --gtest_filter="$1" 2>&1 | grep -E "^$2" || true
}

results=build/throughput-native.txt
: >"$results"
failed=0
for baud in "${rates[@]}"; do
  echo "throughput: $baud baud for $seconds s" >&2
  KURVLUX_BAUD=$baud run 'NativeThroughput.AtBaudRate' THROUGHPUT >>"$results"
  grep -q " baud=$baud " "$results" || { echo "throughput: $baud baud gave no result" >&2; failed=1; }
done
echo "throughput: \"schneller Plot\" for $seconds s" >&2
fastplot=$(run 'NativeThroughput.FastPlot' FASTPLOT)

get() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }
held_back() {
  local waited
  waited=$(sed -n 's/.*writing waited \([0-9]*\) times.*/\1/p' <<<"$1")
  if [ "$(get connected "$1")" != 1 ]; then echo "not connected"
  elif [ "${waited:-0}" -gt 0 ]; then echo "yes ($waited times)"
  else echo "no"; fi
}
printf '| baud | fed B/s | "Werte/s" shown (median) | off | board held back | "FPS" shown | CPU s per s |\n'
printf '|---:|---:|---:|---:|---|---|---:|\n'
while read -r line; do
  fed=$(get fed "$line") median=$(get werte_median "$line") fps=$(get fps "$line")
  [ "$(get connected "$line")" = 1 ] || failed=1
  off=$(awk -v m="$median" -v f="$fed" 'BEGIN { printf "%+.2f %%", (m - f) * 100 / f }')
  fps=${fps#[}; fps=${fps%]}
  [ ${#fps} -le 60 ] || fps="${fps:0:28} … ${fps: -28}"
  printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$(get baud "$line")" "$fed" "$median" "$off" \
    "$(held_back "$line")" "$fps" "$(get cpu_per_s "$line")"
done <"$results"
if [ -n "$fastplot" ]; then
  printf '\n"schneller Plot": %s points per second shown (median; readings %s), CPU s per s %s, board held back: %s\n' \
    "$(get werte_median "$fastplot")" "$(get werte "$fastplot")" "$(get cpu_per_s "$fastplot")" "$(held_back "$fastplot")"
  [ "$(get connected "$fastplot")" = 1 ] || failed=1
else
  echo '"schneller Plot": the run gave no result' >&2
  exit 1
fi
exit "$failed"
