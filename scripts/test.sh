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
status=0
if wine_env_can_run_i686; then
  ctest --preset i686 || status=$?
else
  echo "test: this machine cannot run 32-bit programs; the i686 build is built but its tests are skipped"
fi
ctest --preset x86_64 || status=$?
exit $status
