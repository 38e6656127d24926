#!/usr/bin/env bash
# Takes the README's screenshots of the real program on a virtual X display:
#   docs/tray-menu.png   the tray menu, opened by a right-button press on the tray icon
# Needs the x86_64 build (cmake --preset x86_64 && cmake --build --preset x86_64) and
# ImageMagick's `import`.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build/x86_64
program=$build/VelmoClipboard.exe
driver=$build/tools/TrayMenuDriver.exe
for file in "$program" "$driver"; do
  [ -f "$file" ] || { echo "screenshots: $file is missing: build the x86_64 preset first" >&2; exit 1; }
done

source "$here/scripts/wine-env.sh"
wine_env_start virtual
wine_path() { local p=${1//\//\\}; echo "Z:$p"; }

# The program runs in a scratch folder, so nothing it writes lands in the repository.
work=$(mktemp -d)
trap 'wine_env_stop; rm -rf "$work"' EXIT
cd "$work"

mkdir -p "$here/docs"
# Into a file, not a pipe: the program inherits the driver's output and outlives it.
"$here/scripts/wine-run.sh" x86_64 "$driver" open "$(wine_path "$program")" >"$work/area.txt"
read -r x y width height < <(tr -d '\r' <"$work/area.txt")
import -display "$DISPLAY" -window root -crop "${width}x${height}+${x}+${y}" +repage "$here/docs/tray-menu.png"
"$here/scripts/wine-run.sh" x86_64 "$driver" exit
echo "screenshots: docs/tray-menu.png (${width}x${height})"
