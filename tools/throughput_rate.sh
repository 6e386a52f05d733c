#!/usr/bin/env bash
# Throughput at byte rates of their own, whatever the baud box says, as a
# board with a native USB port sends (`tools/throughput.sh --rate` comes
# here). For each rate and threshold, in one run: the bare reader of the same
# board (the program's serial layer read as fast as it goes, nothing else),
# under Wine also a bare loop of synchronous full repaints (the floor of a
# program that repaints before each show returns), then the program itself.
# The table gives the program's "Werte/s" as a share of the bare reader's.
#   tools/throughput_rate.sh [--native] [--rate BYTES_PER_SECOND]... [--threshold aus|0..255]... [seconds, default 12]
# Default rates 500000 1000000 2000000 4000000 8000000, threshold "aus".
# KURVLUX_NATIVE_DIR and KURVLUX_WIN32_DIR run the programs of other build
# folders (for example an earlier build beside this build's probes).
# It exits non-zero when a run gave no result or the program did not connect.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage() { sed -n '2,13p' tools/throughput_rate.sh | sed 's/^# \{0,1\}//'; }
source tools/throughput/arguments.sh
native=0
rates=()
thresholds=()
seconds=12
while [ $# -gt 0 ]; do
  case "$1" in
    -h | --help) usage; exit 0 ;;
    --native) native=1 ;;
    --rate)
      arguments_count "--rate" "${2:-}"
      rates+=("$2")
      shift
      ;;
    --threshold)
      [[ ${2:-} =~ ^(aus|[0-9]|[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5])$ ]] ||
        arguments_refuse "--threshold takes aus or 0..255, not '${2:-}'"
      thresholds+=("$2")
      shift
      ;;
    -*) arguments_refuse "unknown option '$1'" ;;
    *)
      arguments_count seconds "$1"
      seconds=$1
      ;;
  esac
  shift
done
[ ${#rates[@]} -gt 0 ] || rates=(500000 1000000 2000000 4000000 8000000)
[ ${#thresholds[@]} -gt 0 ] || thresholds=(aus)

bash scripts/setup
jobs=$(nproc 2>/dev/null || echo 2)
{
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
    cmake --build build/native -j "$jobs" --target kurvlux board_simulator throughput_probe &&
    if [ "$native" = 0 ]; then
      cmake -S . -B build/win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake &&
        cmake --build build/win32 -j "$jobs" --target Kurvlux throughput_probe
    fi
} >build/throughput-rate-build.log 2>&1 || { tail -n 20 build/throughput-rate-build.log; exit 1; }
native_dir=${KURVLUX_NATIVE_DIR:-build/native}
win32_dir=${KURVLUX_WIN32_DIR:-build/win32}

results=build/throughput-rate.txt
: >"$results"
failed=0
for rate in "${rates[@]}"; do
  for threshold in "${thresholds[@]}"; do
    echo "throughput: $rate B/s, threshold $threshold, for $seconds s" >&2
    if [ "$native" = 1 ]; then
      KURVLUX_E2E_NAME=throughput KURVLUX_E2E_PROBE=build/native/throughput_probe KURVLUX_RATE=$rate KURVLUX_THRESHOLD=$threshold KURVLUX_SECONDS=$seconds \
        tests/e2e_linux/run_e2e_linux.sh "$native_dir" --gtest_filter='NativeThroughput.AtRate' 2>&1 | grep '^RATE' >>"$results" || true
    else
      KURVLUX_E2E_NAME=throughput KURVLUX_E2E_PROBE=build/win32/throughput_probe.exe KURVLUX_RATE=$rate KURVLUX_THRESHOLD=$threshold KURVLUX_SECONDS=$seconds \
        tests/e2e/run_e2e.sh "$win32_dir" "$native_dir" --gtest_filter='Throughput.AtRate' 2>&1 | tr -d '\r' | grep '^RATE' >>"$results" || true
    fi
    grep -q " fed=$rate threshold=$threshold " "$results" ||
      { echo "throughput: $rate B/s, threshold $threshold gave no result" >&2; failed=1; }
  done
done

floor_header="" floor_rule=""
if [ "$native" = 0 ]; then
  floor_header=' full repaints per s (floor) |'
  floor_rule='---:|'
fi
printf '| fed B/s | threshold | "Werte/s" shown (median) | share of bare reader | board held back | "FPS" shown (median) | CPU s per s | bare reader B/s | bare reader held back |%s\n' "$floor_header"
printf '|---:|---|---:|---:|---|---:|---:|---:|---|%s\n' "$floor_rule"
get() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }
held() {
  if [ "${1:--1}" -lt 0 ]; then echo "?"
  elif [ "$1" -gt 0 ]; then echo "yes ($1 times)"
  else echo "no"; fi
}
while read -r line; do
  median=$(get werte_median "$line") reader=$(get reader "$line")
  share=$(awk -v m="$median" -v r="$reader" 'BEGIN { printf "%.1f %%", (r > 0 ? m * 100 / r : 0) }')
  waits=$(get waits "$line")
  [ "$(get connected "$line")" = 1 ] || { waits="-1"; failed=1; }
  floor=""
  [ "$native" = 1 ] || floor=" $(get repaint_floor "$line") |"
  printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s |%s\n' "$(get fed "$line")" "$(get threshold "$line")" \
    "$median" "$share" "$(held "$waits")" "$(get fps_median "$line")" "$(get cpu_per_s "$line")" "$reader" \
    "$(held "$(get reader_waits "$line")")" "$floor"
done <"$results"
exit "$failed"
