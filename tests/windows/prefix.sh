#!/usr/bin/env bash
# prefix.sh PREFIX: makes the Wine prefix the tests run in, once (its first start takes a
# while), and sets it up for unattended runs: no crash dialog, DirectDraw drawn in software.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/wine.sh"
prefix="$1"
export WINEPREFIX="$prefix"
wine_find || { echo "Wine is not installed" >&2; exit 1; }
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.celwright-ready" ] && exit 0
rm -rf "$prefix"
wine_environment
xvfb_start || exit 1
trap 'wine_stop; xvfb_stop' EXIT
echo "making the Wine prefix $prefix"
"$CW_WINE" wineboot -i >/dev/null 2>&1
"$CW_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
"$CW_WINE" reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
wine_stop
[ -f "$prefix/system.reg" ] || { echo "wineboot made no prefix" >&2; exit 1; }
touch "$prefix/.celwright-ready"
