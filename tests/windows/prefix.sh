#!/usr/bin/env bash
# prefix.sh PREFIX: makes the Wine prefix the tests run in, once (its first start takes a
# while), and sets it up for unattended runs:
# - no crash dialog;
# - the dialog face "ＭＳ Ｐゴシック" (and "MS UI Gothic", the system's dialog face in a Japanese
#   locale) replaced by IPA P Gothic, the face the native build uses, whose metrics fit the
#   program's dialog layouts; without it Wine picks a face that cuts the panel's labels;
# - DirectDraw drawn in software (Direct3D renderer "gdi"): Wine's default OpenGL renderer shows
#   nothing that windowed DirectDraw or GDI draws into a child window (a pattern window) of a
#   window that has a DirectDraw object, or stops showing it once the window was covered;
# - the classic colour scheme the platform layer uses, so that the two builds' pictures can be
#   compared pixel for pixel (the surround of a pattern window is the button shadow colour).
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/wine.sh"
prefix="$1"
export WINEPREFIX="$prefix"
wine_require
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.celwright-ready-2" ] && exit 0
rm -rf "$prefix"
wine_environment
display_at_exit wine_stop
display_start || exit 1
echo "making the Wine prefix $prefix"
"$CW_WINE" wineboot -i >/dev/null 2>&1
reg() { "$CW_WINE" reg add "$@" /f >/dev/null 2>&1; }
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
reg 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi
for face in 'ＭＳ Ｐゴシック' 'MS UI Gothic'; do
  reg 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d IPAPGothic
done
while read -r name rgb; do
  reg 'HKCU\Control Panel\Colors' /v "$name" /t REG_SZ /d "$rgb"
done <<'COLOURS'
Scrollbar 212 208 200
Background 58 110 165
ActiveTitle 10 36 106
InactiveTitle 128 128 128
Menu 212 208 200
Window 255 255 255
WindowFrame 0 0 0
MenuText 0 0 0
WindowText 0 0 0
TitleText 255 255 255
ActiveBorder 212 208 200
InactiveBorder 212 208 200
AppWorkSpace 128 128 128
Hilight 10 36 106
HilightText 255 255 255
ButtonFace 212 208 200
ButtonShadow 128 128 128
GrayText 128 128 128
ButtonText 0 0 0
InactiveTitleText 212 208 200
ButtonHilight 255 255 255
ButtonDkShadow 64 64 64
ButtonLight 212 208 200
COLOURS
wine_stop
[ -f "$prefix/system.reg" ] || { echo "wineboot made no prefix" >&2; exit 1; }
touch "$prefix/.celwright-ready-2"
