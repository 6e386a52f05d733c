#!/usr/bin/env bash
# Recording while measuring (`tools/throughput.sh --native --recording` comes
# here): each row is one run of the Linux program fed a counting ramp, first
# not recording and then recording with --record, side by side, and the
# recording checked byte for byte (the .bin also with cmp against the ramp).
#   tools/throughput_recording.sh [seconds per run, default 12]
#   tools/throughput_recording.sh --soak MINUTES
# Each row's whole log: build/throughput-recording-NAME.log.
# The rows: .bin at 8 and 16 MB/s, .csv at 1843200 baud, .csv at 250000 baud
# (CPU). --soak records a .csv at 250000 baud for that long (no run beside)
# and compares the memory after the first minute with the end.
# It exits non-zero when a run gave no result or missed its goal.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage() { sed -n '2,12p' tools/throughput_recording.sh | sed 's/^# \{0,1\}//'; }
source tools/throughput/arguments.sh
soak=0
seconds=12
# Turns of not recording and recording per row (KURVLUX_PAIRS, default 2).
pairs=${KURVLUX_PAIRS:-2}
case "${1:-}" in
  --soak)
    arguments_count minutes "${2:-}"
    soak=$2
    [ $# -eq 2 ] || arguments_refuse "--soak takes the minutes, no more"
    ;;
  *)
    arguments_options "$@"
    [ $# -le 1 ] || arguments_refuse "only the seconds per run"
    seconds=${1:-12}
    arguments_count seconds "$seconds"
    ;;
esac

source tools/throughput/native_build.sh
native_build throughput-recording-build
: >build/throughput-recording.txt

# NAME FORM BAUD RATE SECONDS [PLAIN]: one row; its RECORDING line.
measure() {
  echo "recording: $1 for $5 s" >&2
  KURVLUX_E2E_NAME="recording-$1" KURVLUX_E2E_PROBE=build/native/throughput_probe KURVLUX_RECORD_FORM=$2 \
    KURVLUX_BAUD=$3 KURVLUX_RATE=$4 KURVLUX_SECONDS=$5 KURVLUX_PLAIN=${6:-1} KURVLUX_PAIRS=$pairs \
    tests/e2e_linux/run_e2e_linux.sh build/native --gtest_filter='RecordingThroughput.*' >"build/throughput-recording-$1.log" 2>&1 || true
  grep '^RECORDING' "build/throughput-recording-$1.log" | tee -a build/throughput-recording.txt ||
    echo "RECORDING name=$1 gave_no_result=1"
}
get() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }
verdict() { if [ "$1" = 1 ]; then echo "met"; else echo "MISSED"; fi; }
failed=0

if [ "$soak" -gt 0 ]; then
  line=$(measure soak csv 250000 25000 $((soak * 60)) 0)
  rss=$(get rss_kb "$line")
  samples=$(get samples "$line") last=$(get last_time "$line")
  growth=$(awk -F'->' -v r="$rss" 'BEGIN { split(r, a, "->"); print a[2] - a[1] }')
  ok=$(awk -v g="$growth" -v b="$(get breaks "$line")" -v w="$(get well_formed "$line")" \
    'BEGIN { print (g <= 1024 && b == 0 && w == 1) ? 1 : 0 }')
  [ "$ok" = 1 ] || failed=1
  printf '| run | goal | measured | verdict |\n|---|---|---|---|\n'
  printf '| %s-minute .csv at 250000 baud | RSS at the end within 1 MiB of minute 1; file as expected | RSS %s kB (%+d kB); %s rows over %s s = %.0f rows/s (fed 25000), %s breaks, %s bytes | %s |\n' \
    "$soak" "$rss" "$growth" "$samples" "$last" "$(awk -v s="$samples" -v t="$last" 'BEGIN { print (t > 0 ? s / t : 0) }')" \
    "$(get breaks "$line")" "$(get size "$line")" "$(verdict "$ok")"
  exit "$failed"
fi

bin8=$(measure bin8 bin 250000 8000000 "$seconds")
bin16=$(measure bin16 bin 250000 16000000 "$seconds")
csvfast=$(measure csv1843200 csv 1843200 184320 "$seconds")
csvcpu=$(measure csv250000 csv 250000 25000 "$seconds")

# The .bin recording against the ramp it must be: from its first byte on,
# as long as it is.
ramp_cmp() {
  local file=$1 expected=build/recording-ramp.bin
  python3 - "$file" "$expected" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
first = data[0] if data else 0
block = bytes((first + i) % 256 for i in range(256))
with open(sys.argv[2], "wb") as out:
    whole, rest = divmod(len(data), 256)
    out.write(block * whole + block[:rest])
PY
  if cmp "$file" "$expected"; then echo "cmp: $(stat -c %s "$file") bytes equal the ramp from $(od -An -tu1 -N1 "$file" | tr -d ' ') on"; else echo "cmp: differs"; return 1; fi
}

{
printf '| run | goal | not recording | recording | measured | verdict |\n|---|---|---:|---:|---|---|\n'
for line in "$bin8" "$bin16"; do
  plain=$(get plain_werte "$line") recorded=$(get recorded_werte "$line")
  check=$(ramp_cmp "$(get file "$line")" || true)
  ok=$(awk -v p="$plain" -v r="$recorded" -v b="$(get breaks "$line")" -v c="$check" \
    'BEGIN { print (p > 0 && r / p >= 0.99 && b == 0 && c !~ /differs/) ? 1 : 0 }')
  printf '| .bin, ramp at %s B/s | ≥ 0.99 of not recording; file = the bytes sent | %s Werte/s | %s Werte/s | ratio %s; %s | %s |\n' \
    "$(get fed "$line")" "$plain" "$recorded" "$(awk -v p="$plain" -v r="$recorded" 'BEGIN { printf "%.3f", (p > 0 ? r / p : 0) }')" \
    "$check" "$(verdict "$ok")"
done
fed=$(get fed "$csvfast") recorded=$(get recorded_werte "$csvfast")
ok=$(awk -v f="$fed" -v r="$recorded" -v b="$(get breaks "$csvfast")" -v w="$(get well_formed "$csvfast")" \
  'BEGIN { d = (r - f) / f; if (d < 0) d = -d; print (d <= 0.01 && b == 0 && w == 1) ? 1 : 0 }')
printf '| .csv at 1843200 baud, ramp | no sample missing or repeated; Werte/s within 1 %% of fed (%s) | %s Werte/s | %s Werte/s | %s rows, %s breaks; %+.2f %% of fed; the file: %.0f rows/s | %s |\n' \
  "$fed" "$(get plain_werte "$csvfast")" "$recorded" "$(get samples "$csvfast")" "$(get breaks "$csvfast")" \
  "$(awk -v f="$fed" -v r="$recorded" 'BEGIN { print (r - f) * 100 / f }')" \
  "$(awk -v s="$(get samples "$csvfast")" -v t="$(get last_time "$csvfast")" 'BEGIN { print (t > 0 ? s / t : 0) }')" "$(verdict "$ok")"
plain=$(get plain_cpu "$csvcpu") recorded=$(get recorded_cpu "$csvcpu")
ok=$(awk -v p="$plain" -v r="$recorded" -v b="$(get breaks "$csvcpu")" 'BEGIN { print (r - p <= 0.02 && b == 0) ? 1 : 0 }')
printf '| CPU at 250000 baud, oscilloscope, .csv | ≤ 2 percentage points of one core over not recording | %.1f %% | %.1f %% | %+.1f points; %s rows, %s breaks | %s |\n' \
  "$(awk -v p="$plain" 'BEGIN { print p * 100 }')" "$(awk -v r="$recorded" 'BEGIN { print r * 100 }')" \
  "$(awk -v p="$plain" -v r="$recorded" 'BEGIN { print (r - p) * 100 }')" "$(get samples "$csvcpu")" "$(get breaks "$csvcpu")" \
  "$(verdict "$ok")"
} | tee build/throughput-recording-table.md
for line in "$bin8" "$bin16" "$csvfast" "$csvcpu"; do [ "$(get connected "$line")" = 1 ] || failed=1; done
grep -q MISSED build/throughput-recording-table.md && failed=1
echo "(each kind: the median of all readings over $pairs turns and its lowest CPU; the runs' lines are in build/throughput-recording.txt)"
exit "$failed"
