#!/usr/bin/env bash
# Runs linux_tests: the GTK tests on a private Xvfb, the serial tests on
# pseudo-terminals of the board simulator, which the tests start themselves;
# run as root, the serial tests once more as user nobody. gtest options pass
# through to every run, so a --gtest_filter runs only the tests it names.
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
source "$(dirname "$0")/../../tools/gtest_selection.sh"
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
scaled=$(gtest_also_selected "$build/linux_tests" 'GtkShell.WindowAndControls*' "$@")
for scale in 1.25 1.5; do
  [ -z "$scaled" ] || GDK_DPI_SCALE=$scale "$build/linux_tests" "$@" --gtest_filter="$scaled" || status=$?
done
# As root, the serial tests once more as user nobody (whom root's passes
# through exclusive flags and permissions hid), from copies that user can reach.
as_nobody=
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
  as_nobody=$(gtest_also_selected "$build/linux_tests" 'SerialPortPosix.*' "$@")
fi
if [ -n "$as_nobody" ]; then
  chmod 755 "$work" && install -d -o nobody "$work/nobody"
  cp "$build/linux_tests" "$build/board_simulator" "$work/nobody/"
  echo "run_linux_tests.sh: the serial tests again as user nobody"
  runuser -u nobody -- env TMPDIR="$work/nobody" KURVLUX_BOARD_SIMULATOR="$work/nobody/board_simulator" \
    "$work/nobody/linux_tests" "$@" --gtest_filter="$as_nobody" || status=$?
fi
exit "$status"
