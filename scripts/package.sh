#!/usr/bin/env bash
# Builds the release packages of both targets into build/packages/: for each a portable ZIP
# (the program, Help.chm, README.txt, LICENSE) and a per-user installer (...-setup.exe).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
scripts/setup.sh
out=$here/build/packages
mkdir -p "$out"
made=()
for arch in i686 x86_64; do
  cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch" --target VelmoClipboard
  staging=build/$arch/packages
  rm -f "$staging"/*.zip "$staging"/*-setup.exe
  (cd "build/$arch" && cpack >cpack.log 2>&1) || { cat "build/$arch/cpack.log"; exit 1; }
  for file in "$staging"/*.zip "$staging"/*-setup.exe; do
    cp "$file" "$out/"
    made+=("$out/$(basename "$file")")
  done
done
for file in "${made[@]}"; do
  echo "package: ${file#"$here"/} ($(stat -c %s "$file") bytes)"
done
