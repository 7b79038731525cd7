#!/usr/bin/env bash
# Every repository path a document names exists in the source tree:
#   paths_exist.sh SOURCE_DIR DOCUMENT...
# A path is a word in backticks (words are split at spaces and at '|') that contains a '/' or ends in an extension of the repository's
# files (.h, .cpp, .cmake, .sh, .md ...). A word with a folder is looked up from the root (a
# '*' in it matches as in the shell); a bare file name must be some file of the tree. Words
# that name no repository file are left alone: options, placeholders in capitals, home and
# environment paths ("~/", "$XDG_..."), absolute paths and what a build makes ("build/...").
# Prints each missing path with the line that names it; exit status 1 when one is missing.
set -u
root="$1"
shift
[ -d "$root" ] || { echo "no source tree at $root" >&2; exit 2; }
shopt -s nullglob

extensions='h|c|cpp|cmake|sh|py|md|rc|txt|png|bmp|tim|cwp|spa|gif|json|xml|desktop|in|ico|cur|inc'

# Words of a backticked span that may name repository files, one per line.
path_words() {
  local word words
  IFS=$' \t|' read -ra words <<<"$1"
  for word in "${words[@]}"; do
    case "$word" in
      -*|'~'*|'$'*|'*'*|/*|.[a-z]*|build/*|build-*/*|*'://'*|*'<'*|*'='*) continue ;;
    esac
    word="${word%[,.;:)]}"
    if [[ "$word" == */* || "$word" =~ \.($extensions)$ ]]; then
      # Placeholders (FILE.cwp, PROJECT.cwp, SHEET.png): capitals before the extension.
      [[ "$word" =~ (^|/)[A-Z_]+\.[a-z]+$ ]] && continue
      printf '%s\n' "$word"
    fi
  done
}

exists_in_tree() {
  local word="$1"
  if [[ "$word" == */* ]]; then
    local matches=("$root"/$word)
    [ ${#matches[@]} -gt 0 ] && [ -e "${matches[0]}" ]
  else
    grep -qxF -- "$word" <<<"$names"
  fi
}

# The names of the tree's files, once (not those of builds inside it).
names="$(find "$root" \( -path "$root/build*" -o -path "$root/.git" \) -prune -o -type f -printf '%f\n')"
missing=0
for document in "$@"; do
  [ -f "$document" ] || { echo "no document at $document" >&2; exit 2; }
  number=0
  while IFS= read -r line || [ -n "$line" ]; do
    number=$((number + 1))
    rest="$line"
    while [[ "$rest" == *'`'*'`'* ]]; do
      rest="${rest#*\`}"
      span="${rest%%\`*}"
      rest="${rest#*\`}"
      while IFS= read -r word; do
        [ -n "$word" ] || continue
        if ! exists_in_tree "$word"; then
          echo "$(basename "$document"):$number names a missing path: $word"
          missing=1
        fi
      done < <(path_words "$span")
    done
  done < "$document"
done
exit $missing
