#!/usr/bin/env bash
# Makes the installer from this build with cpack, into a scratch folder, and runs the
# installer test on it under Wine.
#   run-installer-test.sh BUILD_DIR TEST_PROGRAM VERSION ARCH
set -euo pipefail
build=$1 test_program=$2 version=$3 arch=$4
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -G NSIS -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
installer=$(ls "$work"/*-setup.exe)
"$here/scripts/wine-run.sh" "$arch" "$test_program" --gtest_brief=1 "$installer" "$version"
