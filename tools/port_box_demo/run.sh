#!/usr/bin/env bash
# Shows the Linux port box following boards that come and go, and times the
# click on the list's arrow until the list is on screen. The real kurvlux
# runs on a private Xvfb inside its own D-Bus session (for the screen-reader
# interface the items are read back through). For the table, libserialport's
# listing is replaced by the lines of a file (listing_stand_in.cpp, loaded
# with LD_PRELOAD), so boards can be "plugged in" without hardware; the
# device named on the command line is a real pseudo-terminal of the board
# simulator. The timing uses the real listing.
#
#   tools/port_box_demo/run.sh <native build dir> [<kurvlux to compare with>]
# It exits non-zero when the program or the probe failed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage() { sed -n '2,12p' "$here/run.sh" | sed 's/^# \{0,1\}//'; }
source "$here/../throughput/arguments.sh"
arguments_options "$@"
[ $# -ge 1 ] && [ $# -le 2 ] || arguments_refuse "expects a native build folder and optionally a kurvlux to compare with"
[ -x "$1/kurvlux" ] || arguments_refuse "no kurvlux in '$1': build it first (cmake --build $1 --target kurvlux board_simulator)"
[ $# -lt 2 ] || [ -x "$2" ] || arguments_refuse "'$2' is not a program"
build=$(cd "$1" && pwd)
before=${2:-}
if [ -z "${KURVLUX_DEMO_INSIDE:-}" ]; then
  source "$here/../private_display.sh"
  work=$(mktemp -d "${TMPDIR:-/tmp}/kurvlux-port-box.XXXXXX")
  trap 'private_display_stop; rm -rf "$work"' EXIT
  g++ -std=c++20 -O2 -shared -fPIC "$here/listing_stand_in.cpp" -o "$work/listing_stand_in.so"
  read -ra libraries <<<"$(pkg-config --cflags --libs atspi-2 gobject-2.0 x11 xtst)"
  g++ -std=c++20 -O2 "$here/port_box_probe.cpp" -o "$work/port_box_probe" "${libraries[@]}"
  private_display_start "$work"
  # The session's daemons (the bus, the screen-reader registry) talk on the
  # output they inherit, and once more when the display goes away at the
  # end: they get a log of their own, so the demo prints its table alone.
  # The script inside gets the real outputs back on 3 and 4.
  status=0
  KURVLUX_DEMO_INSIDE=$work dbus-run-session -- "$0" "$@" 3>&1 4>&2 >"$work/session.log" 2>&1 || status=$?
  [ "$status" -eq 0 ] || { echo "port_box_demo: failed ($status); the session said:" >&2; cat "$work/session.log" >&2; }
  exit "$status"
fi
exec 1>&3 2>&4 3>&- 4>&-
work=$KURVLUX_DEMO_INSIDE
probe=$work/port_box_probe
ports=$work/ports
"$build/board_simulator" --link "$work/board" >"$work/board.log" 2>&1 &
board=$!
program=
trap 'kill -TERM ${program:+"$program"} "$board" 2>/dev/null || true' EXIT
until [ -e "$work/board" ]; do sleep 0.1; done
named=$(readlink "$work/board")
start() {  # start <kurvlux> [environment...]
  local binary=$1
  shift
  env "$@" "$binary" "$named" 2>"$work/kurvlux.err" &
  program=$!
  until "$probe" items >/dev/null 2>&1; do sleep 0.2; done
}
stop() {
  kill -TERM "$program"
  wait "$program" || true
  program=
}
step() {  # step <event> <listing...>: the listing file, then one click on the arrow
  local event=$1
  shift
  local listing="$*"
  printf '%s\n' "$@" >"$ports"
  printf '%-44s listing: %-40s ' "$event" "${listing//\/dev\//}"
  "$probe" open 1 >/dev/null
  "$probe" items
}

echo "== the list, opened after each event (named on the command line: $named)"
printf '/dev/ttyS0\n' >"$ports"
start "$build/kurvlux" LD_PRELOAD="$work/listing_stand_in.so" KURVLUX_STAND_IN_PORTS="$ports"
printf '%-44s listing: %-40s ' "start" "ttyS0"
"$probe" items
"$probe" type ttyACM0
printf '%-44s %-49s ' "typed ttyACM0 (not there yet)" ""
"$probe" items
step "click: board plugged in as ttyACM0" /dev/ttyACM0 /dev/ttyS0
step "click: ttyUSB0 plugged in, listing reordered" /dev/ttyS0 /dev/ttyUSB0 /dev/ttyACM0
step "click: ttyACM0 reset, back as ttyACM1" /dev/ttyS0 /dev/ttyUSB0 /dev/ttyACM1
step "click: all unplugged" 
"$probe" type "${named#/dev/}"
"$probe" press Verbinden
until "$probe" items | grep -q disabled; do sleep 0.2; done
printf '/dev/ttyACM0\n' >"$ports"
printf '%-44s listing: %-40s ' "connected; click on the disabled arrow" "ttyACM0"
"$probe" open 1 | tr -d '\n'
echo -n "  "
"$probe" items
"$probe" press Trennen
step "disconnected; click" /dev/ttyACM0
stop

echo "== click on the arrow until the list's window is mapped (real listing)"
for binary in ${before:+"$before"} "$build/kurvlux"; do
  start "$binary"
  "$probe" type ttyACM0
  echo "$(basename "$(dirname "$binary")")/$(basename "$binary"):"
  "$probe" open 20
  stop
done
