#!/bin/sh
# Reads the built help file back: chmls must see every page in it, and the table of contents
# must lead from the start page to the German, English and Polish sections.
#   check-help.sh CHMLS Help.chm
set -eu
chmls=$1
chm=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...
  what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "help: FAILED: $what"; fi
}

[ -f "$chm" ] || { echo "help: $chm is missing"; exit 1; }
"$chmls" -n list "$chm" >"$work/files.txt" 2>/dev/null
"$chmls" extracttoc "$chm" "$work/toc.hhc" >/dev/null 2>&1 || true
for page in index.html de.html en.html pl.html help.css; do
  check "$page is in the file" grep -qx "/$page" "$work/files.txt"
done
check "the table of contents is readable" test -s "$work/toc.hhc"
for section in Deutsch:de English:en Polski:pl; do
  name=${section%%:*}
  page=${section#*:}.html
  check "the contents list $name" grep -q "value=\"$name\"" "$work/toc.hhc"
  check "$name leads to $page" sh -c "grep -A1 'value=\"$name\"' '$work/toc.hhc' | grep -q 'value=\"$page\"'"
done
echo "help: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
