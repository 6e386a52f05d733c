#!/usr/bin/env bash
# Plants faults one at a time and tells which ones the tests notice.
#
#   tools/plant_faults.sh LIST --build 'CMD' --test 'CMD' [--only TEXT]
#
# LIST holds one fault a line, four fields separated by tabs:
#   path<TAB>text to find<TAB>text to put instead<TAB>what the fault does
# The text to find must stand exactly once in the file; "\n" in either text
# stands for a line break. Blank lines and lines starting with # are skipped.
# For each fault the file is changed, the build command runs (a fault that
# does not build is reported and not counted), then the test command: a
# non-zero status means the fault was caught. The file is put back after
# each fault, and on any exit. --only keeps the faults whose line contains
# TEXT. PLANT_TIMEOUT (seconds, default 1800) ends a test run that hangs; a
# hang counts as caught, since CI would fail on it too.
set -uo pipefail

usage() { sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; }
list="" build="" test_cmd="" only=""
while [ $# -gt 0 ]; do
  case "$1" in --build | --test | --only) [ $# -ge 2 ] || { echo "plant_faults.sh: $1 needs a value" >&2; exit 2; } ;; esac
  case "$1" in
    --build) build=$2; shift 2 ;;
    --test) test_cmd=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    -h | --help) usage; exit 0 ;;
    -*) echo "plant_faults.sh: unknown option '$1'" >&2; usage >&2; exit 2 ;;
    *)
      [ -z "$list" ] || { echo "plant_faults.sh: one list only, not also '$1'" >&2; exit 2; }
      list=$1
      shift
      ;;
  esac
done
if [ -n "$list" ] && [ ! -f "$list" ]; then
  echo "plant_faults.sh: no such list: $list" >&2
  exit 2
fi
if [ -z "$list" ] || [ -z "$build" ] || [ -z "$test_cmd" ]; then
  echo "plant_faults.sh: a list, --build and --test are needed" >&2
  usage >&2
  exit 2
fi

backup=$(mktemp)
planted=""
restore() {
  if [ -n "$planted" ]; then
    cp "$backup" "$planted" && touch "$planted"
    planted=""
  fi
}
trap 'restore; rm -f "$backup"' EXIT
trap 'exit 130' INT TERM

logs=build/faults
mkdir -p "$logs"
caught=0 missed=0 skipped=0 n=0
results=()
while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in '' | '#'*) continue ;; esac
  [ -n "$only" ] && [[ $line != *"$only"* ]] && continue
  # Split by hand: read would merge two tabs and lose an empty replacement.
  path=${line%%$'\t'*} rest=${line#*$'\t'}
  from=${rest%%$'\t'*} rest=${rest#*$'\t'}
  to=${rest%%$'\t'*} what=${rest#*$'\t'}
  n=$((n + 1))
  if [ ! -f "$path" ]; then
    results+=("BADLIST  #$n $path: no such file")
    skipped=$((skipped + 1))
    continue
  fi
  count=$(FROM=$from perl -0ne '$ENV{FROM} =~ s/\\n/\n/g; $c = () = /\Q$ENV{FROM}\E/g; print $c' "$path")
  if [ "$count" != 1 ]; then
    results+=("BADLIST  #$n $path: the text stands $count times: $from")
    skipped=$((skipped + 1))
    continue
  fi
  cp "$path" "$backup"
  planted=$path
  FROM=$from TO=$to perl -0pi -e '
    ($f, $t) = ($ENV{FROM}, $ENV{TO}); $f =~ s/\\n/\n/g; $t =~ s/\\n/\n/g;
    s/\Q$f\E/$t/' "$path"
  log="$logs/fault-$n.log"
  echo "== fault #$n: $path: $what"
  if ! bash -c "$build" >"$log" 2>&1; then
    results+=("NOBUILD  #$n $path: $what")
    skipped=$((skipped + 1))
  elif timeout "${PLANT_TIMEOUT:-1800}" bash -c "$test_cmd" >>"$log" 2>&1; then
    results+=("MISSED   #$n $path: $what  (log: $log)")
    missed=$((missed + 1))
  else
    results+=("CAUGHT   #$n $path: $what")
    caught=$((caught + 1))
  fi
  restore
done <"$list"

# Leave the build as the sources are.
bash -c "$build" >"$logs/restored-build.log" 2>&1 || echo "the build of the restored sources failed: see $logs/restored-build.log"
printf '%s\n' "${results[@]}"
echo "caught $caught of $((caught + missed)) faults ($skipped not counted)"
[ "$missed" -eq 0 ]
