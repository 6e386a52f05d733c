# A private Xvfb for the Linux program's tests and demo. Source it, then
# call private_display_start; private_display_stop ends exactly that Xvfb.
#
#   source tools/private_display.sh
#   private_display_start <work dir> [screen]   # exports DISPLAY
#
# The screen is 1280x1024x24 unless given (WIDTHxHEIGHTxDEPTH).
#
# private_wayland_start starts a headless weston as well and sets
# private_wayland_socket to the absolute path a client's WAYLAND_DISPLAY
# takes; private_display_stop ends it too.

private_display_pid=
private_wayland_pid=
private_wayland_socket=

private_display_start() {
  local work=$1 screen=${2:-1280x1024x24}
  # Xvfb picks a free display itself and writes its number once it accepts
  # clients, so two runs at the same time never share a display.
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  private_display_pid=$!
  if ! private_wait_for "$private_display_pid" test -s "$work/display"; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$work/display")"
}

private_wayland_start() {
  # weston keeps its socket in a runtime folder only its user may enter, on
  # a path short enough for a socket's name.
  local runtime
  runtime=$(mktemp -d "${TMPDIR:-/tmp}/kurvlux-wayland.XXXXXX") || return 1
  private_wayland_socket=$runtime/kurvlux
  XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket=kurvlux --idle-time=0 \
    --log="$runtime/weston.log" >/dev/null 2>&1 &
  private_wayland_pid=$!
  if ! private_wait_for "$private_wayland_pid" test -S "$private_wayland_socket"; then
    echo "weston did not start:" >&2
    cat "$runtime/weston.log" >&2
    return 1
  fi
}

# Waits up to ten seconds for a server (pid) to be ready, as the command
# tells; gives up early when the server has ended.
private_wait_for() {
  local pid=$1 _
  shift
  for _ in $(seq 1 200); do
    "$@" && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  "$@"
}

private_display_stop() {
  if [ -n "$private_wayland_pid" ]; then
    kill "$private_wayland_pid" 2>/dev/null || true
    wait "$private_wayland_pid" 2>/dev/null || true
    rm -rf "$(dirname "$private_wayland_socket")"
    private_wayland_pid=
  fi
  if [ -n "$private_display_pid" ]; then
    kill "$private_display_pid" 2>/dev/null || true
    wait "$private_display_pid" 2>/dev/null || true
    private_display_pid=
  fi
}
