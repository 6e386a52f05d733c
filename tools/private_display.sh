# A private Xvfb for the Linux program's tests and demo. Source it, then
# call private_display_start; private_display_stop ends exactly that Xvfb.
#
#   source tools/private_display.sh
#   private_display_start <work dir>   # exports DISPLAY

private_display_pid=

private_display_start() {
  local work=$1
  # Xvfb picks a free display itself and writes its number once it accepts
  # clients, so two runs at the same time never share a display.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  private_display_pid=$!
  local _
  for _ in $(seq 1 200); do
    [ -s "$work/display" ] && break
    kill -0 "$private_display_pid" 2>/dev/null || break
    sleep 0.05
  done
  if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$(head -n 1 "$work/display")"
}

private_display_stop() {
  if [ -n "$private_display_pid" ]; then
    kill "$private_display_pid" 2>/dev/null || true
    wait "$private_display_pid" 2>/dev/null || true
    private_display_pid=
  fi
}
