#!/usr/bin/env bash
# The Debian package made by cpack from the built tree, inspected as apt and Debian's checker
# see it:
#   check_package.sh BUILD_DIR VERSION APP_ID "ICON SIZES"
# Its name, control fields (the libraries it depends on found from the programs), its file list,
# and lintian's verdict: an error (E:) fails, warnings (W:) are reported.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/checks.sh"
build="$(realpath "$1")" version="$2" app_id="$3" sizes="$4"

need cpack cmake && need dpkg-deb dpkg && need dpkg-shlibdeps dpkg-dev || finish_checks
arch=$(dpkg --print-architecture)

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
  tail -n 30 "$work/cpack.log" >&2
  fail "cpack -G DEB failed"
  finish_checks
fi
deb="$work/celwright_${version}_${arch}.deb"
if [ ! -f "$deb" ]; then
  fail "cpack made $(cd "$work" && ls ./*.deb 2>/dev/null | tr '\n' ' '), not ${deb##*/}"
  finish_checks
fi

# ---- control fields ---------------------------------------------------------------------------
field() { dpkg-deb --field "$deb" "$1"; }
expect_equal Package "$(field Package)" celwright
expect_equal Version "$(field Version)" "$version"
expect_equal Architecture "$(field Architecture)" "$arch"
expect_equal Section "$(field Section)" graphics
[[ "$(field Maintainer)" =~ ^Celwright\ developers\ \<[a-z]+@[a-z.]+\>$ ]] ||
  fail "Maintainer is '$(field Maintainer)'"
[[ "$(field Description)" == "editor for sprite animation data"* ]] || fail "Description is '$(field Description)'"
depends=$(field Depends)
# The libraries come from the programs themselves (dpkg-shlibdeps), with their versions.
for package in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6 libpng16-16 libgif7 libimagequant0 fonts-ipafont-gothic; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done
[[ "$depends" =~ libqt6widgets6\ \(\>=\ [0-9] ]] || fail "Depends has no version for libqt6widgets6: $depends"
dpkg-deb --info "$deb" | sed -n '/^ Package:/,$p'

# ---- the files --------------------------------------------------------------------------------
expected=(
  usr/bin/celwright usr/bin/celwright-tool
  "usr/share/applications/$app_id.desktop"
  "usr/share/metainfo/$app_id.metainfo.xml"
  "usr/share/mime/packages/$app_id.xml"
  "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
  usr/share/icons/hicolor/scalable/mimetypes/application-x-celwright-project.svg
  usr/share/icons/hicolor/scalable/mimetypes/application-x-celwright-animation.svg
  usr/share/man/man1/celwright.1.gz usr/share/man/man1/celwright-tool.1.gz
  usr/share/doc/celwright/copyright usr/share/doc/celwright/changelog.gz
)
for size in $sizes; do expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"); done
contents=$(dpkg-deb --contents "$deb")
files=$(awk '$1 !~ /^d/ {print $NF}' <<<"$contents" | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$files" = "$wanted" ] ||
  fail "the package holds other files than expected: $(diff <(echo "$wanted") <(echo "$files") | grep '^[<>]' | tr '\n' ' ')"
# Owned by root, directories and programs 0755, data 0644.
owners=$(awk '$2 != "root/root" {print $2, $NF}' <<<"$contents")
[ -z "$owners" ] || fail "files not owned by root: $owners"
bad_modes=$(awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" {print $1, $NF}
                $1 ~ /^-/ && $NF ~ /^\.\/usr\/bin\// && $1 != "-rwxr-xr-x" {print $1, $NF}
                $1 ~ /^-/ && $NF !~ /^\.\/usr\/bin\// && $1 != "-rw-r--r--" {print $1, $NF}' <<<"$contents")
[ -z "$bad_modes" ] || fail "files with other modes than 0755 / 0644: $bad_modes"

# ---- lintian ----------------------------------------------------------------------------------
if need lintian lintian; then
  # lintian leaves some of its temporary files behind: they go with the check's folder.
  mkdir -p "$work/lintian-tmp"
  TMPDIR="$work/lintian-tmp" lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1
  grep -E '^[EW]: ' "$work/lintian.log" | sed 's/^/lintian: /'
  errors=$(grep -c '^E: ' "$work/lintian.log")
  [ "$errors" -eq 0 ] || fail "lintian found $errors error(s)"
  echo "lintian: $errors error(s), $(grep -c '^W: ' "$work/lintian.log") warning(s)"
fi

finish_checks
