#!/usr/bin/env bash
# cmake --install of the built tree, checked as the desktop will read it:
#   check_install.sh BUILD_DIR SOURCE_DIR VERSION APP_ID "ICON SIZES"
# Installed under a DESTDIR with prefix /usr, and again with only a prefix: both programs in bin/
# answering --help and --version, the desktop entry and the metainfo passing their validators,
# the file types resolving the example's files, every icon at its size, the manual pages
# rendering without a warning.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/checks.sh"
build="$(realpath "$1")" source_dir="$(realpath "$2")" version="$3" app_id="$4" sizes="$5"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# ---- installing -------------------------------------------------------------------------------
if ! DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  fail "cmake --install into a DESTDIR failed"
  finish_checks
fi
root="$work/root/usr"
if ! cmake --install "$build" --prefix "$work/prefix" >"$work/install-prefix.log" 2>&1; then
  cat "$work/install-prefix.log" >&2
  fail "cmake --install --prefix failed"
fi
grep -q "$work/prefix/" "$work/install.log" && fail "the DESTDIR install wrote into the other prefix"

expected=(
  bin/celwright bin/celwright-tool
  "share/applications/$app_id.desktop"
  "share/metainfo/$app_id.metainfo.xml"
  "share/mime/packages/$app_id.xml"
  "share/icons/hicolor/scalable/apps/$app_id.svg"
  share/icons/hicolor/scalable/mimetypes/application-x-celwright-project.svg
  share/icons/hicolor/scalable/mimetypes/application-x-celwright-animation.svg
  share/man/man1/celwright.1.gz share/man/man1/celwright-tool.1.gz
  share/doc/celwright/copyright share/doc/celwright/changelog.gz
)
for size in $sizes; do expected+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png"); done
for tree in "$root" "$work/prefix"; do
  for f in "${expected[@]}"; do
    [ -f "$tree/$f" ] || fail "not installed: ${tree#"$work"/}/$f"
  done
  actual=$(cd "$tree" && find . -type f | sed 's|^\./||' | sort)
  wanted=$(printf '%s\n' "${expected[@]}" | sort)
  [ "$actual" = "$wanted" ] || fail "${tree#"$work"/} holds other files than expected: $(diff <(echo "$wanted") \
    <(echo "$actual") | grep '^[<>]' | tr '\n' ' ')"
done
for program in celwright celwright-tool; do
  [ -x "$root/bin/$program" ] || fail "$program is not executable"
done

# ---- the programs' own answers ----------------------------------------------------------------
# answer PROGRAM ARGS...: sets out, err and status.
answer() {
  local program="$1"
  shift
  out=$("$root/bin/$program" "$@" 2>"$work/err")
  status=$?
  err=$(cat "$work/err")
}
for program in celwright celwright-tool; do
  answer "$program" --version
  expect_equal "$program --version" "$status:$out:$err" "0:$program $version:"
  answer "$program" --help
  expect_equal "$program --help status" "$status" 0
  [[ "$out" == "usage: $program "* ]] || fail "$program --help does not start with its usage: $out"
  [[ "$out" == *--version* ]] || fail "$program --help does not name --version"
  [ -z "$err" ] || fail "$program --help wrote on standard error: $err"
  answer "$program" --no-such-option
  expect_equal "$program --no-such-option status" "$status" 2
  [ -z "$out" ] || fail "$program --no-such-option wrote on standard output: $out"
  expect_equal "$program --no-such-option error lines" "$(printf '%s\n' "$err" | wc -l)" 1
  [[ "$err" == "$program: "*--no-such-option* ]] || fail "$program --no-such-option says: $err"
done

# ---- the desktop entry ------------------------------------------------------------------------
desktop="$root/share/applications/$app_id.desktop"
if need desktop-file-validate desktop-file-utils; then
  # Hints (several main categories) are advice; errors and warnings fail.
  report=$(desktop-file-validate "$desktop" 2>&1)
  if [ $? -ne 0 ] || grep -qE ': (error|warning): ' <<<"$report"; then
    fail "desktop-file-validate: $report"
  fi
fi
entry() { sed -n "s/^$1=//p" "$desktop"; }
expect_equal "desktop entry Exec" "$(entry Exec)" "celwright %f"
expect_equal "desktop entry Icon" "$(entry Icon)" "$app_id"
expect_equal "desktop entry Terminal" "$(entry Terminal)" "false"
[ -n "$(entry 'Name\[ja\]')" ] || fail "the desktop entry has no Japanese name"
[ -n "$(entry 'Comment\[ja\]')" ] || fail "the desktop entry has no Japanese comment"
[[ ";$(entry Categories)" == *";Graphics;"*";Development;"* ]] ||
  fail "the desktop entry's categories are not those of a graphics and development program: $(entry Categories)"

# ---- the AppStream metainfo -------------------------------------------------------------------
metainfo="$root/share/metainfo/$app_id.metainfo.xml"
if need appstreamcli appstream; then
  report=$(appstreamcli validate --no-net --pedantic --no-color "$metainfo" 2>&1) ||
    fail "appstreamcli refuses the metainfo: $report"
  # The one pedantic note expected: the id has upper-case letters, as the project's name has.
  others=$(echo "$report" | grep -E '^[EWIP]: ' | grep -v 'cid-contains-uppercase-letter')
  [ -z "$others" ] || fail "appstreamcli reports: $others"
  report=$(appstreamcli validate-tree --no-net --no-color "$work/root" 2>&1) ||
    fail "appstreamcli refuses the installed tree: $report"
fi
if need xmllint libxml2-utils; then
  id=$(xmllint --xpath 'string(/component/id)' "$metainfo")
  expect_equal "metainfo id" "$id" "$app_id"
  expect_equal "metainfo launchable" "$(xmllint --xpath 'string(/component/launchable)' "$metainfo")" \
    "$app_id.desktop"
  expect_equal "metainfo release" "$(xmllint --xpath 'string(/component/releases/release[1]/@version)' "$metainfo")" \
    "$version"
  binaries=$(xmllint --xpath '/component/provides/binary/text()' "$metainfo" | sort | tr '\n' ' ')
  expect_equal "metainfo binaries" "$binaries" "celwright celwright-tool "
fi

# ---- the file types ---------------------------------------------------------------------------
mime_xml="$root/share/mime/packages/$app_id.xml"
if need xmllint libxml2-utils; then
  xmllint --noout "$mime_xml" || fail "the file types' XML is not well-formed"
  types=$(xmllint --xpath '//*[local-name()="mime-type"]/@type' "$mime_xml" | sed 's/ *type="\([^"]*\)"/\1;/g' |
    tr -d '\n')
  # The desktop entry offers to open exactly the types the XML defines.
  expect_equal "desktop entry MimeType" "$(entry MimeType)" "$types"
  magic=$(xmllint --xpath 'count(//*[local-name()="magic"])' "$mime_xml")
  expect_equal "magic rules (the files have no signature)" "$magic" 0
fi
if need update-mime-database shared-mime-info && need gio libglib2.0-bin; then
  mkdir -p "$work/data/mime/packages"
  cp "$mime_xml" "$work/data/mime/packages/"
  report=$(XDG_DATA_HOME="$work/data" XDG_DATA_DIRS="$work/data" update-mime-database "$work/data/mime" 2>&1)
  [ $? -eq 0 ] && [ -z "$report" ] || fail "update-mime-database: $report"
  cp "$source_dir/examples/walk.cwp" "$work/walk.cwp"
  cp "$source_dir/examples/walk.spa" "$work/walk.spa"
  cp "$source_dir/examples/walk.cwp" "$work/WALK.CWP"
  printf 'not a project' >"$work/notes.cwp.txt"
  type_of() {
    XDG_DATA_HOME="$work/data" XDG_DATA_DIRS="$work/data" gio info -a standard::content-type "$1" |
      sed -n 's/^ *standard::content-type: //p'
  }
  expect_equal "type of walk.cwp" "$(type_of "$work/walk.cwp")" application/x-celwright-project
  expect_equal "type of walk.spa" "$(type_of "$work/walk.spa")" application/x-celwright-animation
  # The editor takes only the lower-case names as its files.
  [ "$(type_of "$work/WALK.CWP")" != application/x-celwright-project ] || fail "WALK.CWP is taken for a project"
  [ "$(type_of "$work/notes.cwp.txt")" != application/x-celwright-project ] ||
    fail "notes.cwp.txt is taken for a project"
fi

# ---- the icons --------------------------------------------------------------------------------
if need file file; then
  for size in $sizes; do
    png="$root/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    [ -f "$png" ] || continue
    kind=$(file -b "$png")
    [[ "$kind" == "PNG image data, $size x $size, 8-bit/color RGBA"* ]] || fail "$png is $kind"
  done
fi
if need xmllint libxml2-utils; then
  for svg in "$root/share/icons/hicolor/scalable/apps/$app_id.svg" "$root"/share/icons/hicolor/scalable/mimetypes/*.svg; do
    expect_equal "root element of ${svg##*/}" "$(xmllint --xpath 'local-name(/*)' "$svg" 2>&1)" svg
  done
fi

# ---- the manual pages -------------------------------------------------------------------------
if need man man-db && need groff groff-base; then
  for page in celwright celwright-tool; do
    gz="$root/share/man/man1/$page.1.gz"
    [ -f "$gz" ] || continue
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$gz" 2>"$work/man-warnings")
    [ -s "$work/man-warnings" ] && fail "man $page: $(cat "$work/man-warnings")"
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES "EXIT STATUS"; do
      grep -q "^$section" <<<"$text" || fail "man $page has no $section section"
    done
    grep -q -- "--version" <<<"$text" || fail "man $page does not describe --version"
    grep -q "Celwright $version" <<<"$text" || fail "man $page does not name version $version"
  done
  man_text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$root/share/man/man1/celwright.1.gz" 2>/dev/null)
  grep -q "Celwin.cfg" <<<"$man_text" || fail "man celwright does not name the settings file"
fi

finish_checks
