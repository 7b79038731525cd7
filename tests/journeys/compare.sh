#!/usr/bin/env bash
# The two builds compared where a user sees them, at the journeys' named points:
#   compare.sh NATIVE_OUT WINE_OUT
# (the OUT folders of tests/journeys/journey.sh native and wine). At each point the main window's
# titles must be the same text, and these regions the same pixels: the walk window's picture, the
# two swatches of the edit panel, the edit panel, the tree and the menu bar; a difference fails
# unless tests/journeys/differences.txt lists the region, with its reason, and the difference
# stays within its bound there. The files each build saved must be the same bytes.
# Exit code 77 (skipped) when a journey left nothing to compare; under CI=true that is a failure.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
native="$1" wine="$2"
skip() {
  echo "SKIPPED: $*"
  [ "${CI:-}" = "true" ] && exit 1
  exit 77
}
points=(opened stopped typed undone maximised coloured console reopened)
for p in "${points[@]}"; do
  for d in "$native" "$wine"; do
    [ -f "$d/$p.png" ] && [ -f "$d/$p.origin" ] || skip "the journey left no point $p in $d"
  done
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The regions: a place of layout.txt, or the menu bar (the strip above the client area, as high
# as the lower of the two builds draws it).
crop() {
  local dir="$1" point="$2" region="$3" to="$4" ox oy x y w h
  read -r ox oy <<<"$(cat "$dir/$point.origin")"
  if [ "$region" = menu_bar ]; then
    x=0 y=-18 w=640 h=18
  else
    read -r _ _ _ x y w h <<<"$(grep -E "^$region " "$here/layout.txt")"
  fi
  convert "$dir/$point.png" -crop "${w}x$h+$((ox + x))+$((oy + y))" +repage "$to" 2>/dev/null
}
# listed REGION POINT: the bound differences.txt gives the region at that point, or nothing.
listed() {
  awk -v r="$1" -v p="$2" '!/^#/ && $1 == r && ($2 == "*" || index("," $2 ",", "," p ",")) {print $3; exit}' \
    "$here/differences.txt"
}

for p in "${points[@]}"; do
  [ "$(cat "$native/$p.title")" = "$(cat "$wine/$p.title")" ] ||
    fail "$p: the titles differ: \"$(cat "$native/$p.title")\" (native), \"$(cat "$wine/$p.title")\" (Wine)"
  for region in walk swatch_transparent swatch_background panel tree menu_bar; do
    crop "$native" "$p" "$region" "$work/n.png"
    crop "$wine" "$p" "$region" "$work/w.png"
    differing=$(compare -metric AE "$work/n.png" "$work/w.png" null: 2>&1)
    [ "$differing" = 0 ] && continue
    bound=$(listed "$region" "$p")
    if [ -z "$bound" ]; then
      fail "$p: $region differs in $differing pixels, and differences.txt does not list it"
      cp "$work/n.png" "$native/differs-$p-$region.png"
      cp "$work/w.png" "$wine/differs-$p-$region.png"
      continue
    fi
    convert "$work/n.png" -blur 0x1 "$work/nb.png"
    convert "$work/w.png" -blur 0x1 "$work/wb.png"
    rmse=$(compare -metric RMSE "$work/nb.png" "$work/wb.png" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p')
    if awk -v d="$rmse" -v b="$bound" 'BEGIN { exit !(d <= b) }'; then
      echo "$p: $region differs as listed ($rmse, within $bound)"
    else
      fail "$p: $region differs by $rmse, more than the $bound differences.txt allows"
      cp "$work/n.png" "$native/differs-$p-$region.png"
      cp "$work/w.png" "$wine/differs-$p-$region.png"
    fi
  done
done
for f in walk.cwp walk.spa; do
  cmp -s "$native/$f" "$wine/$f" || fail "the $f each build saved differ"
done
[ "$failures" -eq 0 ] && echo "both builds show the same at every point of the journeys, but for the listed differences"
exit $((failures > 0))
