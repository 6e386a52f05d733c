#!/usr/bin/env bash
# Runs the end-to-end tests of the Linux program: the real `kurvlux` on a
# private Xvfb (and one test under a headless weston), inside a D-Bus session
# of its own so the accessibility bus (what screen readers use) is there, fed
# by the board simulator. Run as root, the reconnecting test and the table of
# endings run once more as user nobody; gtest options pass through to both
# runs, so a --gtest_filter naming other tests runs those alone, once.
#
#   tests/e2e_linux/run_e2e_linux.sh <native build dir> [gtest options]
#
# KURVLUX_E2E_NAME (default "test") names the work folder build/e2e-linux-<name>,
# where screenshots and the simulator's logs stay. KURVLUX_E2E_PROBE (default:
# e2e_linux of the build folder) is the probe program to run; tools/throughput.sh
# runs its throughput_probe.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
shift
probe=${KURVLUX_E2E_PROBE:-$build/e2e_linux}
for needed in "$probe" "$build/kurvlux" "$build/board_simulator"; do
  [ -x "$needed" ] || { echo "run_e2e_linux.sh: $needed is missing; build it first" >&2; exit 2; }
done
source "$root/tools/private_display.sh"
source "$root/tools/gtest_selection.sh"

export KURVLUX_E2E_DIR="$root/build/e2e-linux-${KURVLUX_E2E_NAME:-test}"
rm -rf "$KURVLUX_E2E_DIR"
mkdir -p "$KURVLUX_E2E_DIR"
user_dir=
trap 'private_display_stop; [ -z "$user_dir" ] || rm -rf "$user_dir"' EXIT
trap 'exit 130' INT TERM
# Room for the window at GDK_SCALE=2.
private_display_start "$KURVLUX_E2E_DIR" 2560x1600x24
# The Wayland test runs under a headless weston where one is installed
# (scripts/setup installs it); without, it is skipped.
if command -v weston >/dev/null; then
  private_wayland_start
  export KURVLUX_WAYLAND_DISPLAY="$private_wayland_socket"
fi
export KURVLUX_PROGRAM="$build/kurvlux"
export KURVLUX_BOARD_SIMULATOR="$build/board_simulator"
# Keyboard input follows the pointer on a screen without a window manager.
xdotool mousemove 0 0 >/dev/null 2>&1 || true

# dbus-run-session ends the session bus and the accessibility bus it
# started when the tests end. It warns when it may not raise its file limit.
status=0
dbus-run-session -- "$probe" "$@" 2> >(grep -v 'Failed to set fd limit' >&2) || status=$?

# As root, once more as user nobody (whom a device left exclusive keeps
# out, and permissions), from copies that user can reach wherever the build
# tree lies.
as_nobody=
if [ -z "${KURVLUX_E2E_PROBE:-}" ] && [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
  as_nobody=$(gtest_also_selected "$probe" '*ReconnectingTenTimes*:Endings/*:*BusyDevice*:*MayNotOpen*' "$@")
fi
if [ -n "$as_nobody" ]; then
  user_dir=$(mktemp -d "${TMPDIR:-/tmp}/kurvlux-e2e-nobody.XXXXXX")
  cp "$build/e2e_linux" "$build/kurvlux" "$build/board_simulator" "$user_dir/"
  chmod 755 "$user_dir" && chown nobody "$user_dir"
  # Two devices nobody may not open: root's alone, and one of the group
  # dialout. A pseudo-terminal's number that no terminal has: the
  # permission check comes first.
  mknod -m 600 "$user_dir/ttyRootOnly" c 136 1048575
  mknod -m 660 "$user_dir/ttyGroupOnly" c 136 1048575 && chgrp dialout "$user_dir/ttyGroupOnly"
  echo "run_e2e_linux.sh: reconnecting again as user nobody"
  runuser -u nobody -- env HOME="$user_dir" TMPDIR="$user_dir" KURVLUX_E2E_DIR="$user_dir" \
    KURVLUX_PROGRAM="$user_dir/kurvlux" KURVLUX_BOARD_SIMULATOR="$user_dir/board_simulator" \
    dbus-run-session -- "$user_dir/e2e_linux" "$@" --gtest_filter="$as_nobody" \
    2> >(grep -v 'Failed to set fd limit' >&2) || status=$?
fi
exit "$status"
