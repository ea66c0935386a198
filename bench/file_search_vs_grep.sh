#!/bin/bash
# Times a plain-text, any-letter-case file search over a large generated tree
# as "finderix 'ff:/*/TEXT/pC'" against "grep -rliF TEXT" on the same tree,
# checks that both list the same files, and prints the best of a few runs of
# each and their ratio (finderix / grep).
#
# usage: bench/file_search_vs_grep.sh [PROGRAM]   (default build/release/bin/finderix)
#        FILES=20000 MIB=200 FOLDERS=250 RUNS=3 bench/file_search_vs_grep.sh
set -euo pipefail
shopt -s inherit_errexit

. "$(dirname "$0")/lib.sh"
program=$(release_program "${1:-}")
files=${FILES:-20000}
mib=${MIB:-200}
folders=${FOLDERS:-250}
runs=${RUNS:-3}
# Digits keep the generated words, which are letters only, from ever
# containing it by chance.
needle=zyx4quokka

work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT INT TERM
tree="$work/tree"
registry="$work/registry.db"


# The tree: folders two levels deep (ten groups of subfolders), files of
# random lines of random words, sizes spread evenly around the mean; the
# needle, in four letter cases, replaces a line of every 3001st file.
awk -v tree="$tree" -v files="$files" -v bytes=$(( mib * 1048576 )) \
    -v folders="$folders" -v needle="$needle" 'BEGIN {
  srand(7)
  for (w = 0; w < 3000; w++) {
    word = ""
    len = 2 + int(rand() * 9)
    for (k = 0; k < len; k++) word = word substr("abcdefghijklmnopqrstuvwxyz", 1 + int(rand() * 26), 1)
    words[w] = word
  }
  for (l = 0; l < 20000; l++) {
    line = words[int(rand() * 3000)]
    n = 4 + int(rand() * 12)
    for (k = 1; k < n; k++) line = line " " words[int(rand() * 3000)]
    lines[l] = line (rand() < 0.3 ? "." : ",")
  }
  cases[0] = needle; cases[1] = toupper(needle)
  cases[2] = "Zyx4Quokka"; cases[3] = "zYx4qUoKkA"
  groups = 10
  per_folder = int(files / folders)
  mean = bytes / files
  for (d = 0; d < folders; d++) {
    dir = sprintf("%s/g%02d/d%03d", tree, d % groups, d)
    system("mkdir -p " dir)
    for (f = 0; f < per_folder; f++) {
      index_ = d * per_folder + f
      path = sprintf("%s/f%05d.txt", dir, index_)
      size = int(mean * (0.1 + 1.8 * rand()))
      marked = index_ % 3001 == 1500
      written = 0
      while (written < size) {
        line = lines[int(rand() * 20000)]
        if (marked && written > size / 2) {
          line = "see " cases[hits++ % 4] " here " line
          marked = 0
        }
        print line > path
        written += length(line) + 1
      }
      close(path)
    }
  }
}'
echo "tree: $(find "$tree" -type f | wc -l) files, $(du -sm --apparent-size "$tree" | cut -f1) MiB," \
  "$(find "$tree" -mindepth 1 -type d | wc -l) folders," \
  "needle \"$needle\" in $(grep -rliF "$needle" "$tree" | wc -l) files"

search_finderix() {
  "$program" --registry "$registry" -C "$tree" "ff:/*/$needle/pC" 2> /dev/null || [ $? -eq 1 ]
}
search_grep() { grep -rliF "$needle" "$tree" || [ $? -eq 1 ]; }

# Stores the scope (the folder tree) and warms the page cache for both.
"$program" --registry "$registry" -C "$tree" --set FSearchIn=3 "ff:/*/$needle/pC" \
  > /dev/null 2>&1 || true
search_grep > /dev/null

finderix_ms=$(best_of "$work/finderix.out" search_finderix)
grep_ms=$(best_of "$work/grep.out" search_grep)

sort "$work/finderix.out" > "$work/finderix.sorted"
sort "$work/grep.out" > "$work/grep.sorted"
if cmp -s "$work/finderix.sorted" "$work/grep.sorted"; then
  echo "same files listed: yes ($(wc -l < "$work/grep.sorted"))"
else
  echo "same files listed: NO"
  diff "$work/finderix.sorted" "$work/grep.sorted" | head -20 || true
fi
echo "finderix 'ff:/*/$needle/pC': ${finderix_ms} ms (best of $runs)"
echo "grep -rliF $needle:          ${grep_ms} ms (best of $runs)"
awk -v f="$finderix_ms" -v g="$grep_ms" \
  'BEGIN { printf "ratio finderix / grep: %.2f\n", f / (g > 0 ? g : 1) }'
cmp -s "$work/finderix.sorted" "$work/grep.sorted"
