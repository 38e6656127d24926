#!/usr/bin/env bash
# Takes the README's screenshots of the real program on a virtual X display:
#   docs/text-menu.png   the text menu over Notepad, after formatted text was copied
#   docs/tray-menu-restore.png   the tray menu offering to restore the formatting just removed
#   docs/tray-menu.png   the tray menu, opened by a right-button press on the tray icon
#   docs/tray-options.png   the tray menu with its Options submenu open
#   docs/picture-menu.png   the picture menu, after a picture was copied
#   docs/picture-window.png the main window showing that picture with its status texts
#   docs/about.png       the About window, chosen from the tray menu
#   docs/autosave-dialog-de.png, docs/autosave-dialog-en.png
#                        the Autosave dialog, chosen from the tray menu, in German and in English
#   docs/installer.png   the installer's first page, made by cpack from the same build
# Needs the x86_64 build (cmake --preset x86_64 && cmake --build --preset x86_64) and
# ImageMagick's `import`.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build/x86_64
program=$build/VelmoClipboard.exe
driver=$build/tools/ScreenshotDriver.exe
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
run() { "$here/scripts/wine-run.sh" x86_64 "$driver" "$@"; }
# Take a shot of the area the driver printed (into a file, not a pipe: the programs it starts
# inherit its output and outlive it).
shoot() {
  local name=$1 x y width height
  read -r x y width height < <(tr -d '\r' <"$work/area.txt")
  import -display "$DISPLAY" -window root -crop "${width}x${height}+${x}+${y}" +repage "$here/docs/$name"
  echo "screenshots: docs/$name (${width}x${height})"
}

# A folder and a base name for the Autosave dialog to show; autosave itself stays off, so the
# picture menu still opens.
printf '[AutoSave]\r\nDir=C:\\users\\Public\\Pictures\r\nPicName=Screenshot\r\n' >"$work/VelmoClipboard.ini"
run start "$(wine_path "$program")" >/dev/null
run textmenu >"$work/area.txt"
shoot text-menu.png
run firstitem
run traymenu >"$work/area.txt"
shoot tray-menu-restore.png
run firstitem
run traymenu >"$work/area.txt"
shoot tray-menu.png
run options >"$work/area.txt"
shoot tray-options.png
run about >"$work/area.txt"
shoot about.png
run closeabout
run autosave >"$work/area.txt"
shoot autosave-dialog-de.png
run closeautosave
run english
run autosave >"$work/area.txt"
shoot autosave-dialog-en.png
run closeautosave
run picturemenu >"$work/area.txt"
shoot picture-menu.png
run picturewindow >"$work/area.txt"
shoot picture-window.png
run traymenu >/dev/null
run exit

# The installer, alone on the screen: the shot is the screen trimmed to its window.
cpack --config "$build/CPackConfig.cmake" -G NSIS -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
installer=$(ls "$work"/pkg/*-setup.exe)
# Ending the server ends Notepad, which the text menu's shot left open.
/usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
/usr/lib/wine/wineserver64 -w >/dev/null 2>&1 || true
"$here/scripts/wine-run.sh" x86_64 "$installer" >/dev/null 2>&1 &
installer_pid=$!
sleep 6
import -display "$DISPLAY" -window root -trim +repage "$here/docs/installer.png"
echo "screenshots: docs/installer.png"
/usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
wait "$installer_pid" || true
