#!/bin/bash
# Times what the undo journal costs a replace: the same plain-text replace of
# one word in every file of a generated tree of small files, with the journal
# and with --no-undo, on fresh copies of the tree; then times --undo of the
# journalled run and checks that it gives the tree back byte for byte.
#
# usage: bench/undo_journal_cost.sh [PROGRAM]   (default build/release/bin/finderix)
#        FILES=5000 FOLDERS=50 bench/undo_journal_cost.sh
set -euo pipefail
shopt -s inherit_errexit

. "$(dirname "$0")/lib.sh"
program=$(release_program "${1:-}")
files=${FILES:-5000}
folders=${FOLDERS:-50}

work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT INT TERM
export XDG_STATE_HOME="$work/state"
registry="$work/registry.db"

# Files of a few hundred bytes, each holding the word once or more.
awk -v tree="$work/original" -v files="$files" -v folders="$folders" 'BEGIN {
  srand(5)
  for (d = 0; d < folders; d++) system("mkdir -p " tree "/d" d)
  for (f = 0; f < files; f++) {
    path = sprintf("%s/d%d/f%05d.txt", tree, f % folders, f)
    n = 3 + int(rand() * 10)
    for (l = 0; l < n; l++) printf "line %d of file %d, lorem %d\n", l, f, rand() * 1000 > path
    close(path)
  }
}'
echo "tree: $(find "$work/original" -type f | wc -l) files in $folders folders," \
  "$(du -sk --apparent-size "$work/original" | cut -f1) KiB"

# One replace over a fresh copy; prints its time in ms.
timed_replace() {
  local tree=$1
  shift
  rm -rf "$tree"
  cp -a "$work/original" "$tree"
  sync
  local start
  start=$(now_ms)
  "$program" -y --registry "$registry" --scope tree -C "$tree" "$@" "ff:/*.txt/lorem/ipsum/pcFEOV" \
    > /dev/null 2> "$work/err" || { cat "$work/err" >&2; exit 1; }
  echo $(( $(now_ms) - start ))
}

without_ms=$(timed_replace "$work/without" --no-undo)
with_ms=$(timed_replace "$work/with")
start=$(now_ms)
"$program" --undo > /dev/null 2> "$work/undo.err" || { cat "$work/undo.err" >&2; exit 1; }
undo_ms=$(( $(now_ms) - start ))

if diff -r "$work/original" "$work/with" > /dev/null; then identical=yes; else identical=NO; fi
echo "replace with --no-undo:  ${without_ms} ms"
echo "replace with journal:    ${with_ms} ms"
awk -v w="$with_ms" -v o="$without_ms" -v n="$files" 'BEGIN {
  printf "journal cost: %.2f ms per file (ratio %.2f)\n", (w - o) / n, w / (o > 0 ? o : 1) }'
echo "--undo of the run:       ${undo_ms} ms; tree back byte for byte: $identical"
[ "$identical" = yes ]
