#!/usr/bin/env bash
# Runs the serial-port tests of win32_tests.exe under Wine against three
# simulated boards: each board simulator streams a counting ramp into a
# pseudo-terminal, which the Wine prefix maps to a COM port.
#
#   tests/win32/run_serial_tests.sh [--win32-build DIR] [--native-build DIR] [gtest options]
#
# Defaults: build/win32 (win32_tests.exe) and build/native (board_simulator);
# Without WINEPREFIX it runs in a fresh prefix build/wine/serial-tests. The
# ports COM7, COM8 and COM9 of the prefix are (re)mapped. Everything started here is ended on exit.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
win32_build=$root/build/win32
native_build=$root/build/native
gtest_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --win32-build) win32_build=$(cd "$2" && pwd); shift 2 ;;
    --native-build) native_build=$(cd "$2" && pwd); shift 2 ;;
    *) gtest_args+=("$1"); shift ;;
  esac
done
tests_exe=$win32_build/win32_tests.exe
simulator=$native_build/board_simulator
for needed in "$tests_exe" "$simulator"; do
  if [ ! -x "$needed" ]; then
    echo "run_serial_tests.sh: $needed is missing; build it first" >&2
    exit 2
  fi
done

if [ -z "${WINEPREFIX:-}" ]; then
  source "$root/tools/wine_env.sh"
  wine_env_init serial-tests
  wine_env_fresh_prefix
fi
export WINEDEBUG=-all
export WINEARCH=${WINEARCH:-win32}
export WINEDLLOVERRIDES="mscoree,mshtml="

work=$(mktemp -d "${TMPDIR:-/tmp}/kurvlux-serial.XXXXXX")
pids=()
started_server=0
cleanup() {
  local status=$?
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  local board
  for board in a b c; do
    [ -s "$work/board-$board.log" ] && echo "board $board: $(cat "$work/board-$board.log")"
  done
  if [ "$started_server" -eq 1 ]; then wineserver -k >/dev/null 2>&1 || true; fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Three boards at 2000 bytes per second: A and B for the port tests, C is
# ended during the test run to look like a device that was unplugged.
declare -A simulator_pid
for board in a b c; do
  "$simulator" --wave ramp --rate 2000 --link "$work/board-$board" >"$work/board-$board.out" 2>"$work/board-$board.log" &
  simulator_pid[$board]=$!
  pids+=($!)
done
for board in a b c; do
  for _ in $(seq 1 500); do [ -L "$work/board-$board" ] && break; sleep 0.02; done
  [ -L "$work/board-$board" ] || { echo "run_serial_tests.sh: simulator $board did not start" >&2; exit 1; }
done

started_server=1
"$root/tools/wine_com_port.sh" COM7="$work/board-a" COM8="$work/board-b" COM9="$work/board-c"

# The test asks for board C to vanish by creating this file.
vanish_request=$work/vanish-request
(
  while [ ! -e "$vanish_request" ]; do sleep 0.05; done
  kill "${simulator_pid[c]}" 2>/dev/null || true
) &
pids+=($!)

status=0
KURVLUX_TEST_COM_A=COM7 KURVLUX_TEST_COM_B=COM8 KURVLUX_TEST_COM_C=COM9 \
  KURVLUX_TEST_VANISH_REQUEST="Z:${vanish_request//\//\\}" \
  wine "$tests_exe" --gtest_filter='SerialPortWin32.*:PortDiscoveryWin32.*' "${gtest_args[@]}" || status=$?
exit "$status"
