#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the editor need, when missing.
set -euo pipefail
packages=(
  cmake ninja-build ccache g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6widgets6 qt6-qpa-plugins
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-ipafont-gothic qt6-translations-l10n
  # The tests on X displays (tests/display.sh): the server, its utilities, two window managers
  # (xfwm4 reads its settings over a session bus of its own) and what drives and photographs
  # the desktop; chattr, for a folder that refuses new files even to root.
  xvfb xauth x11-utils openbox xfwm4 dbus-daemon xdotool wmctrl imagemagick util-linux e2fsprogs
  # giflib and libpng write the tool's pictures; libpng also decodes PNG sheets in the platform
  # layer, and the tests put broken PNG files together with zlib.
  libgif-dev libpng-dev zlib1g-dev
  # The tool's palettes for TIM files with more colours than their CLUT (celwright-tool tim --quantise).
  libimagequant-dev
  # The checks of the installed tree and of the Debian package (tests/install): the desktop
  # entry's, metainfo's and package's validators, the file-type database and a reader of it,
  # the manual page renderer, and the icon drawing script.
  desktop-file-utils appstream lintian dpkg-dev shared-mime-info libglib2.0-bin libxml2-utils file
  man-db groff-base python3
  # The Windows executable: the MinGW-w64 cross compiler and its resource compiler, Wine to run
  # it, and the Japanese locale it runs in.
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 locales
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

# The executable runs under Wine in a Japanese locale (code page 932), which Debian's locales
# package generates on request.
japanese_locale() {
  locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' && return 0
  [ -f /etc/locale.gen ] && command -v locale-gen >/dev/null || return 0
  echo "Generating the ja_JP.UTF-8 locale"
  if grep -q '^# *ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    $sudo sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  elif ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen >/dev/null || echo "Could not generate ja_JP.UTF-8; the checks under Wine skip (and fail under CI)"
}

if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -q
  echo "Installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
japanese_locale
