#!/bin/bash
# Times a plain-text, letter-case-exact replace of a common word over a large
# generated tree as "finderix -y 'ff:/*/WORD/NEW/pc'" against
# "find -type f -exec sed -i 's/WORD/NEW/g' {} +" on an identical copy, prints
# both times and their ratio (finderix / sed), and checks that the two trees
# come out byte-identical. SOURCE copies a tree instead (the Linux sources'
# drivers/net, say); SCRATCH picks the file system the trees live on.
#
# usage: bench/replace_vs_sed.sh [PROGRAM]   (default build/release/bin/finderix)
#        FILES=20000 MIB=200 FOLDERS=250 bench/replace_vs_sed.sh
#        SOURCE=/work/linux/linux-source-6.1/drivers/net WORD=static NEW=STATIC \
#          SCRATCH=/dev/shm bench/replace_vs_sed.sh
set -euo pipefail
shopt -s inherit_errexit

. "$(dirname "$0")/lib.sh"
program=$(release_program "${1:-}")
files=${FILES:-20000}
mib=${MIB:-200}
folders=${FOLDERS:-250}
# Longer than the word, so every changed file grows and is rewritten whole.
word=${WORD:-lorem}
new=${NEW:-ipsum-dolor}

work=$(realpath "$(mktemp -d -p "${SCRATCH:-${TMPDIR:-/tmp}}")")
trap 'rm -rf "$work"' EXIT INT TERM
tree_finderix="$work/finderix"
tree_sed="$work/sed"
registry="$work/registry.db"


# The tree: folders two levels deep (ten groups of subfolders), files of
# random lines of random words, sizes spread evenly around the mean. One word
# in about twenty is the word, one in about two hundred is it capitalised,
# which a case-exact replace must leave alone.
generate_tree() {
awk -v tree="$tree_finderix" -v files="$files" -v bytes=$(( mib * 1048576 )) \
    -v folders="$folders" -v word="$word" 'BEGIN {
  srand(11)
  capital = toupper(substr(word, 1, 1)) substr(word, 2)
  for (w = 0; w < 3000; w++) {
    token = ""
    len = 2 + int(rand() * 9)
    for (k = 0; k < len; k++) token = token substr("abcdefghijklmnopqrstuvwxyz", 1 + int(rand() * 26), 1)
    words[w] = token
  }
  for (w = 3000; w < 3150; w++) words[w] = word
  for (w = 3150; w < 3165; w++) words[w] = capital
  for (l = 0; l < 20000; l++) {
    line = words[int(rand() * 3165)]
    n = 4 + int(rand() * 12)
    for (k = 1; k < n; k++) line = line " " words[int(rand() * 3165)]
    lines[l] = line (rand() < 0.3 ? "." : ",")
  }
  groups = 10
  per_folder = int(files / folders)
  mean = bytes / files
  for (d = 0; d < folders; d++) {
    dir = sprintf("%s/g%02d/d%03d", tree, d % groups, d)
    system("mkdir -p " dir)
    for (f = 0; f < per_folder; f++) {
      path = sprintf("%s/f%05d.txt", dir, d * per_folder + f)
      size = int(mean * (0.1 + 1.8 * rand()))
      written = 0
      while (written < size) {
        line = lines[int(rand() * 20000)]
        print line > path
        written += length(line) + 1
      }
      close(path)
    }
  }
}'
}

if [ -n "${SOURCE:-}" ]; then
  cp -a "$SOURCE" "$tree_finderix"
else
  generate_tree
fi
cp -a "$tree_finderix" "$tree_sed"
echo "tree (twice): $(find "$tree_sed" -type f | wc -l) files," \
  "$(du -sm --apparent-size "$tree_sed" | cut -f1) MiB," \
  "$(find "$tree_sed" -mindepth 1 -type d | wc -l) folders," \
  "\"$word\" $(grep -roF "$word" "$tree_sed" | wc -l) times in" \
  "$(grep -rlF "$word" "$tree_sed" | wc -l) files"

# Stores the scope (the folder tree), warms the page cache with both trees,
# and writes out the copy so that neither run pays for it.
"$program" --registry "$registry" -C "$tree_finderix" --set FSearchIn=3 \
  "ff:/*/no such text/pC" > /dev/null 2>&1 || true
find "$tree_finderix" "$tree_sed" -type f -exec cat {} + > /dev/null
sync

# Plain text, letter case exact, no questions, no backups, no list.
start=$(now_ms)
"$program" -y --registry "$registry" -C "$tree_finderix" "ff:/*/$word/$new/pcFEOV" \
  > /dev/null 2> "$work/finderix.err" || { cat "$work/finderix.err" >&2; exit 1; }
finderix_ms=$(( $(now_ms) - start ))
sync

start=$(now_ms)
find "$tree_sed" -type f -exec sed -i "s/$word/$new/g" {} +
sed_ms=$(( $(now_ms) - start ))
# finderix's files are on disk when it exits; sed leaves its writes to the
# kernel, so this is their cost.
start=$(now_ms)
sync
sync_ms=$(( $(now_ms) - start ))

if diff -r "$tree_finderix" "$tree_sed" > "$work/diff.out"; then
  identical=yes
else
  identical=NO
fi
left=$(grep -rlF "$word" "$tree_finderix" | wc -l || true)
echo "trees byte-identical: $identical (files still holding \"$word\": $left)"
[ "$identical" = yes ] || head -20 "$work/diff.out"
echo "finderix -y 'ff:/*/$word/$new/pcFEOV': ${finderix_ms} ms"
echo "find -exec sed -i 's/$word/$new/g':   ${sed_ms} ms (then sync: ${sync_ms} ms)"
awk -v f="$finderix_ms" -v s="$sed_ms" \
  'BEGIN { printf "ratio finderix / sed: %.2f\n", f / (s > 0 ? s : 1) }'
[ "$identical" = yes ]
