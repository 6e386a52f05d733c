# The running Kurvlux.exe under Wine, as the host side of tests/e2e/run_e2e.sh
# reports it to the throughput runs (tools/throughput.sh). Sourced.

# The running Kurvlux.exe: Wine shows it under its Windows path. A shell
# whose arguments merely name an .exe (tools/throughput.sh with an earlier
# build) must not be taken for it.
program_pid() { pgrep -n -f '^[A-Za-z]:\\.*Kurvlux\.exe'; }

# User plus system CPU seconds the running Kurvlux.exe has used so far.
program_cpu_seconds() {
  local pid
  pid=$(program_pid)
  [ -n "$pid" ] || { echo "none"; return; }
  awk -v tick="$(getconf CLK_TCK)" '{ printf "%.2f", ($14 + $15) / tick }' "/proc/$pid/stat"
}

# Resident memory of the running Kurvlux.exe in kB.
program_resident_kb() {
  local pid
  pid=$(program_pid)
  [ -n "$pid" ] || { echo "none"; return; }
  awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"
}
