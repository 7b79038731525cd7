#!/usr/bin/env bash
# The commands a document shows run as shown:
#   readme_commands.sh SOURCE_DIR BUILD_DIR DOCUMENT
# Each fenced shell block that follows a line "<!-- tested -->" runs from a scratch folder laid
# out as the source tree is for a reader who has built it ("build" is BUILD_DIR, "examples" a
# fresh copy of the example project); "<!-- tested in examples -->" runs it in that "examples".
# The build's programs are on PATH and HOME is a scratch folder, so that "~/.local" is too.
# A block runs with bash -e -o pipefail: any command that fails fails the test. A picture under
# SOURCE_DIR/docs that a block writes again under the same name must come out the same bytes,
# so that the document does not show a stale one. A document without tested blocks fails too.
set -u
source_dir="$(realpath "$1")" build_dir="$(realpath "$2")" document="$3"
[ -f "$document" ] || { echo "no document at $document" >&2; exit 2; }
for program in "$build_dir/celwright" "$build_dir/tools/cli/celwright-tool"; do
  [ -x "$program" ] || { echo "no $program: build the project first" >&2; exit 2; }
done

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/home"
export HOME="$scratch/home"
export PATH="$build_dir:$build_dir/tools/cli:$PATH"
unset DISPLAY WAYLAND_DISPLAY

# A fresh reader's tree for each block, so that no block depends on what another left.
fresh_tree() {
  rm -rf "$scratch/tree"
  mkdir "$scratch/tree"
  ln -s "$build_dir" "$scratch/tree/build"
  cp -R "$source_dir/examples" "$scratch/tree/examples"
}

# The pictures the document shows that the block made again.
same_pictures() {
  local folder="$1" shown made status=0
  for shown in "$source_dir"/docs/*.png; do
    [ -e "$shown" ] || continue
    made="$folder/$(basename "$shown")"
    [ -e "$made" ] || continue
    if ! cmp -s "$shown" "$made"; then
      echo "docs/$(basename "$shown") is not what the commands make now: make it again with them"
      status=1
    fi
  done
  return $status
}

run_block() {
  local start="$1" where="$2" body="$3"
  fresh_tree
  local folder="$scratch/tree"
  [ "$where" = examples ] && folder="$scratch/tree/examples"
  echo "== $(basename "$document"):$start (in ${where:-the tree})"
  printf '%s' "$body" | sed 's/^/   /'
  if ! (cd "$folder" && bash -e -o pipefail -c "$body") >"$scratch/out" 2>&1; then
    sed 's/^/   | /' "$scratch/out"
    echo "FAILED: the block at line $start"
    return 1
  fi
  same_pictures "$folder"
}

blocks=0 failed=0 number=0 state=prose where="" start=0 body=""
while IFS= read -r line || [ -n "$line" ]; do
  number=$((number + 1))
  case "$state" in
    prose)
      if [[ "$line" =~ ^\<!--\ tested(\ in\ examples)?\ --\>$ ]]; then
        state=marked where=""
        [ -n "${BASH_REMATCH[1]}" ] && where=examples
      fi ;;
    marked)
      if [[ "$line" =~ ^\`\`\`(sh|bash)?$ ]]; then
        state=block start=$((number + 1)) body=""
      elif [ -n "$line" ]; then
        echo "$(basename "$document"):$number: a tested mark must stand right before a shell block"
        failed=1 state=prose
      fi ;;
    block)
      if [ "$line" = '```' ]; then
        blocks=$((blocks + 1))
        run_block "$start" "$where" "$body" || failed=1
        state=prose
      else
        body+="$line"$'\n'
      fi ;;
  esac
done < "$document"

if [ "$blocks" -eq 0 ]; then
  echo "$(basename "$document") has no tested blocks"
  exit 1
fi
echo "$blocks blocks run, $([ $failed -eq 0 ] && echo 'all passed' || echo 'some FAILED')"
exit $failed
