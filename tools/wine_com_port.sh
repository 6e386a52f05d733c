#!/usr/bin/env bash
# Maps COM ports of the current Wine prefix to Unix devices (a pseudo-terminal
# or a link to one), then ends the prefix's wineserver, so that the next Wine
# program starts a fresh one that lists and opens them.
#
#   WINEPREFIX=... tools/wine_com_port.sh COM7=/dev/pts/3 [COM8=/tmp/board-link ...]
#   WINEPREFIX=... tools/wine_com_port.sh --no-restart COM7=/dev/pts/3
#
# An empty device (COM7=) removes the mapping. Only the wineserver of this
# prefix is ended; none is left running. The program selects the first port
# it lists, so a board mapped to COM1 is the one selected at start.
set -euo pipefail

usage() { echo "usage: WINEPREFIX=... tools/wine_com_port.sh [--no-restart] COMn=DEVICE..."; }
case "${1:-}" in -h | --help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;; esac
export WINEDEBUG=${WINEDEBUG:--all}

restart=1
mappings=()
for arg in "$@"; do
  case "$arg" in
    --no-restart) restart=0 ;;
    COM[0-9]*=*) mappings+=("$arg") ;;
    *)
      echo "wine_com_port.sh: not an option nor COMn=DEVICE: '$arg'" >&2
      usage >&2
      exit 2
      ;;
  esac
done
if [ ${#mappings[@]} -eq 0 ]; then
  echo "wine_com_port.sh: no COMn=DEVICE given" >&2
  usage >&2
  exit 2
fi
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine_com_port.sh: set WINEPREFIX to the prefix whose ports to map" >&2
  exit 2
fi

for mapping in "${mappings[@]}"; do
  port=${mapping%%=*}
  device=${mapping#*=}
  if [ -n "$device" ]; then
    wine reg add 'HKLM\Software\Wine\Ports' /v "$port" /d "$device" /f >/dev/null 2>&1
  else
    wine reg delete 'HKLM\Software\Wine\Ports' /v "$port" /f >/dev/null 2>&1 || true
  fi
done

if [ "$restart" -eq 1 ]; then
  # Wine reads the port mapping when its device manager starts, that is with
  # a fresh wineserver.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
fi
