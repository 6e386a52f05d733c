#!/usr/bin/env bash
# Runs every test of win32_tests.exe under Wine on a private Xvfb, with the
# simulated boards that the serial-port tests need.
#   tests/win32/run_win32_tests.sh <win32 build dir> <native build dir> [gtest args...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/wine_env.sh"
win32_dir=$1
native_dir=$2
shift 2
wine_env_init test
wine_env_display private
wine_env_server
"$here/run_serial_tests.sh" --win32-build "$win32_dir" --native-build "$native_dir" --gtest_filter='*' "$@"
