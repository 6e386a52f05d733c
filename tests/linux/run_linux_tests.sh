#!/usr/bin/env bash
# Runs linux_tests: the GTK tests on a private Xvfb, the serial tests on
# pseudo-terminals of the board simulator, which the tests start themselves.
#
#   tests/linux/run_linux_tests.sh <native build dir> [gtest options]
#
# Ends exactly the processes it started.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: tests/linux/run_linux_tests.sh <native build dir> [gtest options]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
shift
for needed in "$build/linux_tests" "$build/board_simulator"; do
  if [ ! -x "$needed" ]; then
    echo "run_linux_tests.sh: $needed is missing; build it first" >&2
    exit 2
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kurvlux-linux-tests.XXXXXX")
xvfb_pid=
cleanup() {
  local status=$?
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display itself and writes its number once it accepts
# clients, so two runs at the same time never share a display.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 200); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.05
done
if [ ! -s "$work/display" ]; then
  echo "run_linux_tests.sh: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"
export KURVLUX_BOARD_SIMULATOR="$build/board_simulator"

status=0
"$build/linux_tests" "$@" || status=$?
exit "$status"
