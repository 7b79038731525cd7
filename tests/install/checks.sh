# Shared by the checks of the installed tree and of the Debian package: failures are counted
# and the check goes on, so that one run names everything that is wrong; a missing tool skips
# only what needs it. At the end: exit 1 on any failure; a tool missing fails under CI=true and
# otherwise skips the test loudly (exit 77); else 0.
failures=0
missing=()
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# need TOOL PACKAGE: true when TOOL is there; otherwise notes it and its Debian package.
need() {
  command -v "$1" >/dev/null 2>&1 && return 0
  missing+=("$1 ($2)")
  echo "MISSING: $1 is not installed (Debian package $2): the checks that use it are not run" >&2
  return 1
}
# expect_equal WHAT ACTUAL EXPECTED
expect_equal() {
  [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"
}
finish_checks() {
  if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    if [ "${CI:-}" = "true" ]; then
      echo "FAIL: tools missing under CI: ${missing[*]}; tools/install-deps.sh installs them" >&2
      exit 1
    fi
    echo "SKIPPED (partly): not installed: ${missing[*]}; run tools/install-deps.sh" >&2
    exit 77
  fi
  echo "all checks passed"
  exit 0
}
