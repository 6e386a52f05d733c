#!/usr/bin/env bash
# Throughput run: for each baud rate of the baud-rate box from 9600 to
# 1843200, the board simulator feeds the real Kurvlux.exe a counting ramp at
# the line rate (baud / 10 bytes per second) in "Oszilloskop" with "aus", and
# a table shows what the program made of it.
#   tools/throughput.sh [seconds per rate, default 12] [baud rates...]
# A soak run is one rate for a long time, e.g. tools/throughput.sh 1800 1843200:
# the last column shows whether the program's memory stays put.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-12}
shift || true
rates=("$@")
[ ${#rates[@]} -gt 0 ] || rates=(9600 14400 19200 28800 38400 43000 56000 57600 115200 128000 230400 250000 256000 460800 921600 1843200)

bash scripts/setup
jobs=$(nproc 2>/dev/null || echo 2)
{
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build build/native -j "$jobs" --target board_simulator &&
    cmake -S . -B build/win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake &&
    cmake --build build/win32 -j "$jobs" --target Kurvlux e2e_probe
} >build/throughput-build.log 2>&1 || { tail -n 20 build/throughput-build.log; exit 1; }

results=build/throughput.txt
: >"$results"
for baud in "${rates[@]}"; do
  echo "throughput: $baud baud for $seconds s" >&2
  KURVLUX_E2E_NAME=throughput KURVLUX_BAUD=$baud KURVLUX_SECONDS=$seconds \
    tests/e2e/run_e2e.sh build/win32 build/native --gtest_also_run_disabled_tests \
    --gtest_filter='Throughput.DISABLED_AtBaudRate' 2>&1 | grep '^THROUGHPUT' >>"$results" || true
done

printf '| baud | fed B/s | "Werte/s" shown (median) | off | board held back | "FPS" shown | CPU s per s | resident MB start → end |\n'
printf '|---:|---:|---:|---:|---|---|---:|---|\n'
while read -r line; do
  get() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$line"; }
  baud=$(get baud) fed=$(get fed) median=$(get werte_median) fps=$(get fps) cpu=$(get cpu_per_s)
  waited=$(sed -n 's/.*writing waited \([0-9]*\) times.*/\1/p' <<<"$line")
  off=$(awk -v m="$median" -v f="$fed" 'BEGIN { printf "%+.2f %%", (m - f) * 100 / f }')
  held="no"
  [ "${waited:-0}" -gt 0 ] && held="yes ($waited times)"
  [ "$(get connected)" = 1 ] || held="not connected"
  fps=${fps#[}; fps=${fps%]}
  [ ${#fps} -le 60 ] || fps="${fps:0:28} … ${fps: -28}"
  memory=$(get rss_kb | awk -F'->' '{ printf "%.1f → %.1f", $1 / 1024, $2 / 1024 }')
  printf '| %s | %s | %s | %s | %s | %s | %s | %s |\n' "$baud" "$fed" "$median" "$off" "$held" "$fps" "$cpu" "$memory"
done <"$results"
