#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the editor need, when missing.
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6widgets6 qt6-qpa-plugins
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-ipafont-gothic qt6-translations-l10n
  xvfb xauth openbox xdotool x11-utils wmctrl imagemagick
  libgif-dev libpng-dev
  # The checks of the installed tree and of the Debian package (tests/install): the desktop
  # entry's, metainfo's and package's validators, the file-type database and a reader of it,
  # the manual page renderer, and the icon drawing script.
  desktop-file-utils appstream lintian dpkg-dev shared-mime-info libglib2.0-bin libxml2-utils file
  man-db groff-base python3
)
# A second window manager for the desktop checks; they skip it where it cannot be installed.
# The Windows executable: the MinGW-w64 cross compiler and its resource compiler, Wine to run
# it and the Japanese locale it runs in; skipped where they cannot be installed.
optional=(xfwm4 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 locales)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
missing_optional=()
for p in "${optional[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing_optional+=("$p")
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
  $sudo locale-gen >/dev/null || echo "Could not generate ja_JP.UTF-8; the checks under Wine are skipped"
}

if [ ${#missing[@]} -eq 0 ] && [ ${#missing_optional[@]} -eq 0 ]; then
  japanese_locale
  exit 0
fi
$sudo apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# One at a time, so that one that cannot be installed does not keep the others out.
for p in "${missing_optional[@]}"; do
  echo "Installing if available: $p"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$p" ||
    echo "Could not install $p; the checks that use it are skipped"
done
japanese_locale
