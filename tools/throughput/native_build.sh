# The build step of the Linux throughput scripts. Sourced.

# Builds the Linux program, the board simulator and the throughput probe in
# build/native, with the log in build/NAME.log; on failure shows the log's
# end and exits 1.
native_build() {
  local log=build/$1.log
  bash scripts/setup
  mkdir -p build
  {
    cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
      cmake --build build/native -j "$(nproc 2>/dev/null || echo 2)" --target kurvlux board_simulator throughput_probe
  } >"$log" 2>&1 || { tail -n 20 "$log"; exit 1; }
}
