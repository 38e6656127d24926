#!/usr/bin/env bash
# First builds the rules without Windows with the machine's own compiler and runs their tests
# (preset "host": seconds, no Wine). Then builds both Windows targets and runs every test under
# Wine on virtual displays. Each target's tests run on a display of their own with a Wine
# prefix and wineserver of their own (the clipboard belongs to the display and to the server),
# so the two targets' tests run side by side and the second target builds while the first one's
# tests run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
scripts/setup.sh
jobs=$(nproc)
for preset in host i686 x86_64; do cmake --preset "$preset" >/dev/null; done

# The probe only; each target's run sources wine-env.sh again with its own prefix.
source scripts/wine-env.sh
tested=(x86_64)
if wine_env_can_run_i686; then tested=(i686 x86_64); fi

work=$(mktemp -d)
lanes=()
end_lanes() {
  local pid
  for pid in "${lanes[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap end_lanes EXIT
trap 'exit 130' INT TERM

# One target's tests in a process of their own. The display, the server and (on a new machine)
# the prefix come up at once, while the build runs; the tests start when the build says so
# through the file $work/ARCH.go. The output goes to $work/ARCH.log, ctest's exit code to
# $work/ARCH.rc.
test_target() {  # test_target ARCH
  local arch=$1 pid
  export WINEPREFIX=$here/build/wineprefix-$arch
  source scripts/wine-env.sh
  wine_env_start virtual || return 1
  while [ ! -e "$work/$arch.go" ]; do sleep 0.2; done
  [ "$(cat "$work/$arch.go")" = built ] || exit 0
  # In the background, so a TERM from test.sh ends the wineserver (and with it the test
  # program) at once rather than after the program.
  ctest --preset "$arch" &
  pid=$!
  wait "$pid"
}
for arch in "${tested[@]}"; do
  (
    rc=0
    test_target "$arch" || rc=$?
    echo "$rc" >"$work/$arch.rc"
  ) >"$work/$arch.log" 2>&1 &
  lanes+=($!)
done

# The host tests, while the Wine lanes come up; their output is shown at once, their count
# joins the summary.
echo "==== host tests (the rules without Windows, built with the machine's own compiler) ===="
host_rc=0
if cmake --build --preset host --parallel "$jobs"; then
  ctest --preset host 2>&1 | tee "$work/host.log" || host_rc=$?
else
  host_rc=$?
fi
echo "$host_rc" >"$work/host.rc"

build_target() {  # build_target ARCH [nice]: tells the target's tests whether to start
  local arch=$1 rc=0
  ${2:+nice -n 10} cmake --build --preset "$arch" --parallel "$jobs" || rc=$?
  if [ "$rc" -eq 0 ]; then echo built >"$work/$arch.go"; else echo failed >"$work/$arch.go"; fi
  return "$rc"
}
# x86_64 first: it is tested everywhere. The i686 build then shares the processors with the
# x86_64 tests, at a lower priority so the tests' time limits keep their meaning.
build_target x86_64
build_target i686 nice

# Records a line saying how many test programs of a target (or of the host build) ran and how
# many failed, read from ctest's own closing count ("... N tests failed out of M").
status=0
passed=0
failed=0
summary=()
report_target() {  # report_target ARCH
  local arch=$1 log=$work/$1.log rc count failedHere ranHere
  rc=$(cat "$work/$arch.rc" 2>/dev/null || echo 1)
  count=$(sed -n 's/.* \([0-9][0-9]*\) tests\{0,1\} failed out of \([0-9][0-9]*\).*/\1 \2/p' "$log" | tail -n 1)
  if [ -z "$count" ]; then
    summary+=("test: $arch: ctest reported no count (exit code $rc)")
    status=1
    return
  fi
  read -r failedHere ranHere <<<"$count"
  local programs="test programs"
  [ "$ranHere" -eq 1 ] && programs="test program"
  summary+=("test: $arch: $ranHere $programs ran, $failedHere failed")
  passed=$((passed + ranHere - failedHere))
  failed=$((failed + failedHere))
  if [ "$rc" -ne 0 ] || [ "$failedHere" -ne 0 ] || [ "$ranHere" -eq 0 ]; then status=1; fi
}

report_target host
for pid in "${lanes[@]}"; do wait "$pid" || true; done
lanes=()
[ "${#tested[@]}" -eq 2 ] || summary+=("test: i686: not run (this machine cannot run 32-bit programs); built only")
for arch in "${tested[@]}"; do
  echo "==== $arch tests (display and Wine prefix build/wineprefix-$arch of their own) ===="
  cat "$work/$arch.log"
  report_target "$arch"
done

# Last, so a skipped target cannot hide among ctest's output: one line for the host tests and
# one per target, then the count of test programs over all that ran.
printf '%s\n' "${summary[@]}"
echo "test: $passed passed, $failed failed"
exit $status
