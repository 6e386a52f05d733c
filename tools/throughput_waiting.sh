#!/usr/bin/env bash
# What the Linux program costs while it waits, and how soon a byte reaches
# the screen (`tools/throughput.sh --native --waiting` comes here), for this
# build and, in the same run, an earlier one:
#  - its own CPU time (user plus system, from /proc/PID/stat) and its
#    wake-ups (voluntary task switches) per second of wall time, connected to
#    the board simulator streaming a sine at 250000 baud in "Oszilloskop"
#    (shown, paused, window unmapped, a tip shown) and in "schneller Plot",
#    connected to a board that sends nothing, and not connected;
#  - the time from a byte written by the board to the changed picture read
#    from the screen, in "schneller Plot" and in "Oszilloskop" (median and
#    99th percentile of each run's bytes), and while streaming: a frame of a
#    new level every 40 ms in 25-byte chunks, from the write that completes
#    a frame to that frame on screen.
# Every run measures each build in turn, so both see the same load; the
# tables give the median of the runs and their range.
#   tools/throughput_waiting.sh [--runs N, default 3] [--seconds S, default 6] [--samples N, default 100] [earlier build folder]
# It exits non-zero when a measurement gave no figure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage() { sed -n '2,18p' tools/throughput_waiting.sh | sed 's/^# \{0,1\}//'; }
source tools/throughput/arguments.sh
runs=3 seconds=6 samples=100 earlier=""
while [ $# -gt 0 ]; do
  case "$1" in
    -h | --help) usage; exit 0 ;;
    --runs | --seconds | --samples)
      [ $# -ge 2 ] || arguments_refuse "$1 needs a number"
      arguments_count "${1#--}" "$2"
      declare "${1#--}=$2"
      shift ;;
    -*) arguments_refuse "unknown option '$1'" ;;
    *)
      [ -z "$earlier" ] || arguments_refuse "one earlier build folder only, not '$earlier' and '$1'"
      [ -x "$1/kurvlux" ] || arguments_refuse "no kurvlux in the earlier build folder '$1'"
      earlier=$1 ;;
  esac
  shift
done

source tools/throughput/native_build.sh
native_build throughput-waiting-build
builds=()
[ -z "$earlier" ] || builds+=("$earlier")
builds+=(build/native)

measure() {
  local dir=$1 filter=$2
  shift 2
  env "$@" KURVLUX_E2E_NAME=waiting KURVLUX_E2E_PROBE=build/native/throughput_probe \
    tests/e2e_linux/run_e2e_linux.sh "$dir" --gtest_filter="$filter" 2>&1 | grep -E '^(CPU|DELAY) ' || true
}

results=build/throughput-waiting.txt
: >"$results"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for run in $(seq "$runs"); do
  for dir in "${builds[@]}"; do
    echo "throughput: run $run of $runs, $dir" >&2
    for state in scope paused unmapped tooltip fastplot silent disconnected; do
      figure=$(measure "$dir" NativeProgram.CpuWhileWaiting KURVLUX_STATE=$state KURVLUX_SECONDS="$seconds")
      [ -n "$figure" ] || { echo "throughput: no CPU figure for $dir, $state" >&2; exit 1; }
      echo "build=$dir $figure" >>"$results"
    done
    for mode in fastplot scope; do
      figure=$(measure "$dir" NativeProgram.ByteToScreenDelay KURVLUX_MODE=$mode KURVLUX_SAMPLES="$samples")
      [ -n "$figure" ] || { echo "throughput: no delay figure for $dir, $mode" >&2; exit 1; }
      echo "build=$dir $figure" >>"$results"
    done
    figure=$(measure "$dir" NativeProgram.StreamingDelay KURVLUX_SECONDS="$seconds")
    [ -n "$figure" ] || { echo "throughput: no streaming delay figure for $dir" >&2; exit 1; }
    echo "build=$dir $figure" >>"$results"
  done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

# Median and range of one figure per build and state or mode, over the runs.
summary() {
  awk -v kind="$1" -v key="$2" -v field="$3" -v scale="$4" '
    $2 == kind {
      build = ""; k = ""; v = ""
      for (i = 1; i <= NF; i++) {
        split($i, p, "=")
        if (p[1] == "build") build = p[2]
        if (p[1] == key) k = p[2]
        if (p[1] == field) v = p[2] * scale
      }
      if (v == "") next
      if (!((build, k) in n)) { order[++count] = build SUBSEP k }
      values[build, k, ++n[build, k]] = v
    }
    END {
      for (c = 1; c <= count; c++) {
        split(order[c], bk, SUBSEP)
        m = n[order[c]]
        for (i = 1; i <= m; i++) s[i] = values[bk[1], bk[2], i]
        for (i = 1; i <= m; i++) for (j = i + 1; j <= m; j++) if (s[j] < s[i]) { t = s[i]; s[i] = s[j]; s[j] = t }
        printf "| %s | %s | %.2f | %.2f … %.2f | %d |\n", bk[2], bk[1], s[int((m + 1) / 2)], s[1], s[m], m
      }
    }' "$results" | sort -t'|' -k2,2 -s
}
printf '\n| state | build | CPU, %% of one core (median) | range | runs |\n|---|---|---:|---|---:|\n'
summary CPU state cpu_per_s 100
printf '\n| state | build | wake-ups per second (median) | range | runs |\n|---|---|---:|---|---:|\n'
summary CPU state wakes_per_s 1
printf '\n| mode | build | byte to screen, median ms (median of runs) | range | runs |\n|---|---|---:|---|---:|\n'
summary DELAY mode median_ms 1
printf '\n| mode | build | byte to screen, 99th percentile ms (median of runs) | range | runs |\n|---|---|---:|---|---:|\n'
summary DELAY mode p99_ms 1
