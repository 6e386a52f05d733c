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

source "$(dirname "$0")/../../tools/private_display.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/kurvlux-linux-tests.XXXXXX")
cleanup() {
  local status=$?
  private_display_stop
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

private_display_start "$work"
export KURVLUX_BOARD_SIMULATOR="$build/board_simulator"
# The in-process tests need no screen reader; without the bridge GTK does
# not look for the accessibility bus.
export NO_AT_BRIDGE=1

status=0
"$build/linux_tests" "$@" || status=$?
# The desktop's text scaling ("Large Text") leaves every control in place.
for scale in 1.25 1.5; do
  GDK_DPI_SCALE=$scale "$build/linux_tests" --gtest_filter='GtkShell.WindowAndControls*' || status=$?
done
exit "$status"
