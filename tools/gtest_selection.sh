# Which tests a runner's extra runs (as user nobody, at another text scale)
# take when its caller names tests of their own. Source it, then
#
#   filter=$(gtest_also_selected PROGRAM RUNNER_FILTER [the caller's gtest options])
#
# prints, as one --gtest_filter value, the tests of PROGRAM that both the
# caller's options and RUNNER_FILTER select, and nothing when there are none:
# a caller who names one test gets that test in the extra runs where it
# belongs there, and no other test.

# The full names (Suite.Test, with any instance and parameter prefix) of
# the tests PROGRAM would run with the given options, sorted.
gtest_selected_names() {
  local program=$1
  shift
  "$program" "$@" --gtest_list_tests | awk '
    /^[^ ]/ && /\.$/ { suite = $1; next }
    /^  [^ ]/ { print suite $1 }' | LC_ALL=C sort
}

gtest_also_selected() {
  local program=$1 runner_filter=$2
  shift 2
  # The runner's filter comes last, so it wins over one the caller gave.
  LC_ALL=C comm -12 <(gtest_selected_names "$program" "$@") \
    <(gtest_selected_names "$program" "$@" --gtest_filter="$runner_filter") | paste -sd: -
}
