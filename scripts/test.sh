#!/usr/bin/env bash
# Builds both Windows targets and runs every test under Wine on a virtual display.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
scripts/setup.sh
for arch in i686 x86_64; do
  cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch"
done

source scripts/wine-env.sh
wine_env_start virtual

# Runs one target's test programs and records a line saying how many ran and how many failed,
# read from ctest's own closing count ("... N tests failed out of M").
status=0
passed=0
failed=0
summary=()
run_target() {  # run_target ARCH
  local arch=$1 log rc=0 count failedHere ranHere
  log=$(mktemp)
  ctest --preset "$arch" 2>&1 | tee "$log" || rc=$?
  count=$(sed -n 's/.* \([0-9][0-9]*\) tests\{0,1\} failed out of \([0-9][0-9]*\).*/\1 \2/p' "$log" | tail -n 1)
  rm -f "$log"
  if [ -z "$count" ]; then
    summary+=("test: $arch: ctest reported no count (exit code $rc)")
    status=1
    return
  fi
  read -r failedHere ranHere <<<"$count"
  summary+=("test: $arch: $ranHere test programs ran, $failedHere failed")
  passed=$((passed + ranHere - failedHere))
  failed=$((failed + failedHere))
  if [ "$rc" -ne 0 ] || [ "$failedHere" -ne 0 ] || [ "$ranHere" -eq 0 ]; then status=1; fi
}

if wine_env_can_run_i686; then
  run_target i686
else
  summary+=("test: i686: not run (this machine cannot run 32-bit programs); built only")
fi
run_target x86_64

# Last, so a skipped target cannot hide among ctest's output: one line per target, then the
# count of test programs over all targets that ran.
printf '%s\n' "${summary[@]}"
echo "test: $passed passed, $failed failed"
exit $status
