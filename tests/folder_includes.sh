#!/bin/bash
# Lists which source folder includes which (sdk, platform, each module and
# host subfolder, with the number of includes) and fails on an include cycle
# between folders, or when module/base reads another module folder, or a
# folder other than module/entry reads module/entry.
# Usage: folder_includes.sh [SOURCE_ROOT]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# A path's folder: sdk or platform, else its first two components.
folder_of='function folder(path,  parts, n) {
  n = split(path, parts, "/")
  if (parts[1] == "sdk" || parts[1] == "platform" || n < 3) return parts[1]
  return parts[1] "/" parts[2]
}'

edges=$(
  find sdk platform module host -name '*.hpp' -o -name '*.cpp' | sort |
    xargs grep -H '^#include "' |
    awk -F: "$folder_of"'
      { split($2, quoted, "\""); from = folder($1); to = folder(quoted[2])
        if (from != to) count[from " -> " to]++ }
      END { for (edge in count) print edge, "(" count[edge] ")" }' | sort
)
echo "$edges"

echo "$edges" | awk '
  { from = $1; to = $3; node[from]; node[to]; reach[from, to] = 1
    if (from == "module/base" && to ~ /^module\//) {
      print "module/base reads " to; bad = 1 }
    if (to == "module/entry" && from != "module/entry") {
      print from " reads module/entry"; bad = 1 } }
  END {
    for (k in node) for (i in node) if ((i, k) in reach)
      for (j in node) if ((k, j) in reach) reach[i, j] = 1
    for (i in node) for (j in node)
      if (i < j && (i, j) in reach && (j, i) in reach) {
        print "include cycle: " i " <-> " j; bad = 1 }
    if (bad) exit 1
    print "no include cycle between folders"
  }'
