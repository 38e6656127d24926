#!/usr/bin/env bash
# Builds the program and starts it under Wine on the current display (a virtual one when
# there is none). The 32-bit build runs where the machine can run 32-bit programs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
scripts/setup.sh
source scripts/wine-env.sh
arch=x86_64
wine_env_can_run_i686 && arch=i686
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch" --target VelmoClipboard
wine_env_start
cd "$here"  # the settings file and the help file live in the working directory
cp "build/$arch/Help.chm" Help.chm
echo "run: starting build/$arch/VelmoClipboard.exe (it lives in the notification area)"
scripts/wine-run.sh "$arch" "build/$arch/VelmoClipboard.exe"
