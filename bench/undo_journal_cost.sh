#!/bin/bash
# Times what the undo journal costs a replace: the same plain-text replace of
# one word in every file of a tree, with the journal, with --no-undo, and as
# "sed -i" on the files grep lists, each on a fresh copy of the tree; then times --undo of the
# journalled run and checks that it gives the tree back byte for byte. The
# tree is generated (small files) unless SOURCE names one to copy; SCRATCH
# picks the file system the trees live on and STATE the folder the journal
# goes in (XDG_STATE_HOME; by default beside the trees), so that the
# journal can share the trees' file system (old files linked) or not (old
# content copied).
#
# usage: bench/undo_journal_cost.sh [PROGRAM]   (default build/release/bin/finderix)
#        FILES=5000 FOLDERS=50 bench/undo_journal_cost.sh
#        SOURCE=/work/linux/linux-source-6.1/drivers/net WORD=static NEW=STATIC \
#          SCRATCH=/dev/shm STATE=/tmp/bench-state bench/undo_journal_cost.sh
set -euo pipefail
shopt -s inherit_errexit

. "$(dirname "$0")/lib.sh"
program=$(release_program "${1:-}")
files=${FILES:-5000}
folders=${FOLDERS:-50}
word=${WORD:-lorem}
new=${NEW:-ipsum}

work=$(realpath "$(mktemp -d -p "${SCRATCH:-${TMPDIR:-/tmp}}")")
state=${STATE:-$work/state}
mkdir -p "$state"
state=$(realpath "$(mktemp -d -p "$state")")
trap 'rm -rf "$work" "$state"' EXIT INT TERM
export XDG_STATE_HOME="$state"
registry="$work/registry.db"

if [ -n "${SOURCE:-}" ]; then
  cp -a "$SOURCE" "$work/original"
else
  # Files of a few hundred bytes, each holding the word once or more.
  awk -v tree="$work/original" -v files="$files" -v folders="$folders" -v word="$word" 'BEGIN {
    srand(5)
    for (d = 0; d < folders; d++) system("mkdir -p " tree "/d" d)
    for (f = 0; f < files; f++) {
      path = sprintf("%s/d%d/f%05d.txt", tree, f % folders, f)
      n = 3 + int(rand() * 10)
      for (l = 0; l < n; l++) printf "line %d of file %d, %s %d\n", l, f, word, rand() * 1000 > path
      close(path)
    }
  }'
fi
echo "tree: $(find "$work/original" -type f | wc -l) files" \
  "($(grep -rlF "$word" "$work/original" | wc -l) holding \"$word\"), " \
  "$(du -sk --apparent-size "$work/original" | cut -f1) KiB on $(stat -f -c %T "$work");" \
  "journal on $(stat -f -c %T "$state")"

# A fresh copy of the tree, on disk and in the page cache before the clock
# starts.
fresh_copy() {
  rm -rf "$1"
  cp -a "$work/original" "$1"
  find "$1" -type f -exec cat {} + > /dev/null
  sync
}

# One replace over a fresh copy; prints its time in ms.
timed_replace() {
  local tree=$1
  shift
  fresh_copy "$tree"
  local start
  start=$(now_ms)
  "$program" -y --registry "$registry" --scope tree -C "$tree" "$@" "ff:/*/$word/$new/pcFEOV" \
    > /dev/null 2> "$work/err" || { cat "$work/err" >&2; exit 1; }
  echo $(( $(now_ms) - start ))
}

# sed leaves its writes to the kernel: the sync after it is counted. Like
# the replace, it rewrites only the files that hold the word.
timed_sed() {
  fresh_copy "$work/sed"
  local start
  start=$(now_ms)
  grep -rlZF -- "$word" "$work/sed" | xargs -0 -r sed -i "s/$word/$new/g"
  sync
  echo $(( $(now_ms) - start ))
}

without_ms=$(timed_replace "$work/without" --no-undo)
with_ms=$(timed_replace "$work/with")
sed_ms=$(timed_sed)
if diff -r "$work/with" "$work/sed" > /dev/null; then same_as_sed=yes; else same_as_sed=NO; fi
rm -rf "$work/without" "$work/sed"
start=$(now_ms)
"$program" --undo > /dev/null 2> "$work/undo.err" || { cat "$work/undo.err" >&2; exit 1; }
undo_ms=$(( $(now_ms) - start ))

if diff -r "$work/original" "$work/with" > /dev/null; then identical=yes; else identical=NO; fi
echo "replace with --no-undo:  ${without_ms} ms"
echo "replace with journal:    ${with_ms} ms (same bytes as sed: $same_as_sed)"
echo "grep -l | sed -i, sync: ${sed_ms} ms"
awk -v w="$with_ms" -v o="$without_ms" -v s="$sed_ms" 'BEGIN {
  printf "journal / --no-undo: %.2f; journal / sed: %.2f; --no-undo / sed: %.2f\n",
    w / (o > 0 ? o : 1), w / (s > 0 ? s : 1), o / (s > 0 ? s : 1) }'
echo "--undo of the run:       ${undo_ms} ms; tree back byte for byte: $identical"
[ "$identical" = yes ] && [ "$same_as_sed" = yes ]
