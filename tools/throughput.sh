#!/usr/bin/env bash
# Throughput run: for each baud rate of the baud-rate box from 9600 to
# 1843200, the board simulator feeds the real Kurvlux.exe a counting ramp at
# the line rate (baud / 10 bytes per second) in "Oszilloskop" with "aus", and
# a table shows what the program made of it.
#   tools/throughput.sh [seconds per rate, default 12] [baud rates...]
# A soak run is one rate for a long time, e.g. tools/throughput.sh 1800 1843200:
# the last column shows whether the program's memory stays put.
#
#   tools/throughput.sh fastplot [seconds, default 12] [earlier Kurvlux.exe]
# measures "schneller Plot" instead: where one pass of the real window,
# controls and image store spends its time (pass_profile.exe under Wine),
# then, in one run on one display, a bare present loop (a fresh DIB section
# per picture, painted with DrawStateW, then with BitBlt) beside the real
# program fed at 25000 bytes per second, with the ratio of their rates. An
# earlier build of the program, when given, is measured in the same run.
#
#   tools/throughput.sh --native [seconds, default 12] [baud rates...]
# measures the Linux program the same way (default rates 250000, 921600 and
# 1843200), then its "schneller Plot" points per second.
#
#   tools/throughput.sh --native --waiting [--runs N] [--seconds S] [--samples N] [earlier build folder]
# measures the Linux program's CPU while it waits or streams at 250000 baud,
# and the delay from a byte to the screen (tools/throughput_waiting.sh).
#
#   tools/throughput.sh --native --recording [seconds | --soak MINUTES]
# measures the Linux program recording (--record) beside the same run not
# recording, and checks the recording (tools/throughput_recording.sh).
#
#   tools/throughput.sh [--native] --rate BYTES_PER_SECOND [--rate ...] [--threshold T]... [seconds]
# feeds byte rates of their own, whatever the baud box says, and measures the
# bare reader of the same board beside the program (tools/throughput_rate.sh).
#
# It exits non-zero when a run gave no result or the program did not connect.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage() { sed -n '2,30p' tools/throughput.sh | sed 's/^# \{0,1\}//'; }
source tools/throughput/arguments.sh
# The waiting measurement checks its own options.
if [ "${1:-}" = --native ] && [ "${2:-}" = --waiting ]; then
  shift 2
  exec bash tools/throughput_waiting.sh "$@"
fi
if [ "${1:-}" = --native ] && [ "${2:-}" = --recording ]; then
  shift 2
  exec bash tools/throughput_recording.sh "$@"
fi
for argument in "$@"; do
  case "$argument" in
    -h | --help) usage; exit 0 ;;
    --rate | --threshold) exec bash tools/throughput_rate.sh "$@" ;;
    --native) ;;
    -*) arguments_refuse "unknown option '$argument'" ;;
  esac
done
mode=rates
if [ "${1:-}" = fastplot ]; then
  mode=fastplot
  shift
  [ $# -le 2 ] || arguments_refuse "fastplot takes seconds and an earlier Kurvlux.exe, no more"
  [ -z "${2:-}" ] || [ -f "$2" ] || arguments_refuse "no such program: $2"
elif [ "${1:-}" = --native ]; then
  shift
  exec bash tools/throughput_native.sh "$@"
fi
seconds=${1:-12}
arguments_count seconds "$seconds"
shift || true
rates=("$@")
[ "$mode" = fastplot ] || for rate in "${rates[@]}"; do arguments_count "baud rate" "$rate"; done
[ ${#rates[@]} -gt 0 ] || rates=(9600 14400 19200 28800 38400 43000 56000 57600 115200 128000 230400 250000 256000 460800 921600 1843200)

bash scripts/setup
jobs=$(nproc 2>/dev/null || echo 2)
{
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build build/native -j "$jobs" --target board_simulator &&
    cmake -S . -B build/win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake &&
    cmake --build build/win32 -j "$jobs" --target Kurvlux throughput_probe pass_profile
} >build/throughput-build.log 2>&1 || { tail -n 20 build/throughput-build.log; exit 1; }

if [ "$mode" = fastplot ]; then
  echo "throughput: profile of a \"schneller Plot\" pass" >&2
  profile=$(
    source tools/wine_env.sh
    wine_env_init profile
    wine_env_display private
    wine_env_server
    wine build/win32/pass_profile.exe 5 2>/dev/null | tr -d '\r' | grep -o 'PROFILE .*'
  )
  printf '%s\n' "$profile" | sed -n '1s/^PROFILE //p'
  printf '\n| share of a pass | µs per pass | %% | calls per pass |\n|---|---:|---:|---:|\n'
  printf '%s\n' "$profile" | sed -n 's/^PROFILE share="\([^"]*\)" us_per_pass=\([^ ]*\) percent=\([^ ]*\) calls_per_pass=\(.*\)$/| \1 | \2 | \3 | \4 |/p'
  baseline=""
  if [ -n "${1:-}" ]; then
    baseline="Z:$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
    baseline=${baseline//\//\\}
  fi
  echo "throughput: bare present loop and \"schneller Plot\" for $seconds s" >&2
  line=$(KURVLUX_E2E_NAME=throughput KURVLUX_E2E_PROBE=build/win32/throughput_probe.exe KURVLUX_SECONDS=$seconds KURVLUX_BASELINE_EXE="$baseline" \
    tests/e2e/run_e2e.sh build/win32 build/native --gtest_filter='Throughput.FastPlot' 2>&1 | tr -d '\r' | grep '^FASTPLOT' || true)
  [ -n "$line" ] || { echo "throughput: the fast-plot run gave no result" >&2; exit 1; }
  get() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$line"; }
  median=$(get werte_median) drawstate=$(get bare_drawstate) bitblt=$(get bare_bitblt)
  ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
  printf '\n| measured in one run | per second | program ÷ this |\n|---|---:|---:|\n'
  if [ -n "$baseline" ]; then
    printf '| earlier build: "schneller Plot", "Werte/s" shown (median) | %s | %s |\n' "$(get baseline_median)" "$(ratio "$median" "$(get baseline_median)")"
  fi
  printf '| this build: "schneller Plot", "Werte/s" shown (median) | %s | 1.00 |\n' "$median"
  printf '| bare present loop, fresh DIB section, DrawStateW | %s | %s |\n' "$drawstate" "$(ratio "$median" "$drawstate")"
  printf '| bare present loop, fresh DIB section, BitBlt | %s | %s |\n' "$bitblt" "$(ratio "$median" "$bitblt")"
  printf '\nthis build: readings %s, CPU s per s %s, connected %s\n' "$(get werte)" "$(get cpu_per_s)" "$(get connected)"
  if [ -n "$baseline" ]; then
    printf 'earlier build: readings %s, CPU s per s %s, connected %s\n' "$(get baseline_werte)" "$(get baseline_cpu_per_s)" "$(get baseline_connected)"
  fi
  [ "$(get connected)" = 1 ] || { echo "throughput: the program did not connect" >&2; exit 1; }
  exit 0
fi

results=build/throughput.txt
: >"$results"
failed=0
for baud in "${rates[@]}"; do
  echo "throughput: $baud baud for $seconds s" >&2
  KURVLUX_E2E_NAME=throughput KURVLUX_E2E_PROBE=build/win32/throughput_probe.exe KURVLUX_BAUD=$baud KURVLUX_SECONDS=$seconds \
    tests/e2e/run_e2e.sh "${KURVLUX_WIN32_DIR:-build/win32}" build/native --gtest_filter='Throughput.AtBaudRate' 2>&1 | grep '^THROUGHPUT' >>"$results" || true
  grep -q " baud=$baud " "$results" || { echo "throughput: $baud baud gave no result" >&2; failed=1; }
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
  [ "$(get connected)" = 1 ] || { held="not connected"; failed=1; }
  fps=${fps#[}; fps=${fps%]}
  [ ${#fps} -le 60 ] || fps="${fps:0:28} … ${fps: -28}"
  memory=$(get rss_kb | awk -F'->' '{ printf "%.1f → %.1f", $1 / 1024, $2 / 1024 }')
  printf '| %s | %s | %s | %s | %s | %s | %s | %s |\n' "$baud" "$fed" "$median" "$off" "$held" "$fps" "$cpu" "$memory"
done <"$results"
exit "$failed"
