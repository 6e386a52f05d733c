#!/usr/bin/env bash
# Runs the end-to-end tests: the real Kurvlux.exe under Wine and Xvfb, driven
# by e2e_probe.exe, with the board simulator behind COM7. The probe asks this
# script for things only the Linux side can do (start or unplug the board,
# take a screenshot) through request files in build/e2e/host.
#
#   tests/e2e/run_e2e.sh <win32 build dir> <native build dir> [gtest args...]
#
# KURVLUX_E2E_NAME (default "test") names the Wine prefix build/wine/<name>
# and the work folder build/e2e-<name>, so separate runs can go side by side.
# KURVLUX_E2E_PORT (default 7) is the COM port number the board appears as.
# KURVLUX_E2E_PROBE (default: e2e_probe.exe of the win32 build folder) is the
# probe program to run; tools/throughput.sh runs its throughput_probe.exe.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/wine_env.sh"
# The CPU time and memory of the running program, which the throughput runs
# of tools/throughput.sh ask for.
source "$here/../../tools/throughput/program_usage.sh"

win32_dir=$(cd "$1" && pwd)
native_dir=$(cd "$2" && pwd)
shift 2

name=${KURVLUX_E2E_NAME:-test}
wine_env_init "$name"
wine_env_display private
e2e_dir="$kurvlux_root/build/e2e-$name"
host_dir="$e2e_dir/host"
link="$e2e_dir/ttyKurvlux"
rm -rf "$host_dir"
mkdir -p "$host_dir"

wine_env_server
# Without a window manager on the private X server, Wine draws the window
# frame and title itself only for windows it does not leave to a manager;
# screenshots meant for people ask for that.
if [ "${KURVLUX_E2E_DECORATED:-0}" = 1 ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
export KURVLUX_E2E_PORT=${KURVLUX_E2E_PORT:-7}
wine_env_map_port "$KURVLUX_E2E_PORT" "$link"
wine_env_restart_server

windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

simulator_pid=""
stop_board() {
  if [ -n "$simulator_pid" ]; then
    kill "$simulator_pid" 2>/dev/null || true
    wait "$simulator_pid" 2>/dev/null || true
    simulator_pid=""
  fi
}

start_board() {
  stop_board
  rm -f "$host_dir/board.out"
  "$native_dir/board_simulator" --link "$link" "$@" >"$host_dir/board.out" 2>&1 &
  simulator_pid=$!
  local i
  for i in $(seq 1 200); do
    [ -s "$host_dir/board.out" ] && [ -e "$link" ] && return 0
    sleep 0.05
  done
  return 1
}

answer() {
  local request=$1 reply="ok"
  set -- $request
  case "$1" in
    board) shift; start_board "$@" || reply="failed" ;;
    unplug) stop_board; reply="ok $(tail -n 1 "$host_dir/board.out" 2>/dev/null | tr -d '\n')" ;;
    # The private screen is black but for the program's windows: keep those.
    screenshot) { import -window root -display "$DISPLAY" "$e2e_dir/$2.png" &&
      mogrify -trim +repage "$e2e_dir/$2.png"; } 2>/dev/null || reply="failed" ;;
    # Real key presses through the X server, into the program's window.
    key) shift
      window=$(xdotool search --name '^Kurvlux v1\.0' 2>/dev/null | head -n 1)
      { [ -n "$window" ] && xdotool windowfocus --sync "$window" key "$@"; } >/dev/null 2>&1 || reply="failed" ;;
    cpu) reply="ok $(program_cpu_seconds)" ;;
    memory) reply="ok $(program_resident_kb)" ;;
    *) reply="unknown request" ;;
  esac
  printf '%s\n' "$reply" >"$host_dir/reply.tmp"
  mv "$host_dir/reply.tmp" "$host_dir/reply"
}

export KURVLUX_EXE="$(windows_path "$win32_dir/Kurvlux.exe")"
export KURVLUX_E2E_HOST="$(windows_path "$host_dir")"

wine "${KURVLUX_E2E_PROBE:-$win32_dir/e2e_probe.exe}" "$@" &
probe_pid=$!
while kill -0 "$probe_pid" 2>/dev/null; do
  if [ -f "$host_dir/request" ]; then
    request=$(cat "$host_dir/request")
    rm -f "$host_dir/request"
    answer "$request"
  fi
  sleep 0.02
done
status=0
wait "$probe_pid" || status=$?
stop_board
exit "$status"
