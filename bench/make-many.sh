#!/usr/bin/env bash
# Writes N small files (40 to 400 bytes of text each) into nested folders below FOLDER: 100 files
# a folder, 100 folders a parent, as a home folder full of small files would be laid out.
# usage: bench/make-many.sh N [FOLDER]        (default FOLDER: bench/many-N)
set -euo pipefail
n=${1:?usage: make-many.sh N [FOLDER]}
here=$(dirname "$(realpath "$0")")
out=$(realpath -m "${2:-$here/many-$n}")
[ -e "$out" ] && { echo "make-many.sh: $out exists" >&2; exit 1; }
mkdir -p "$out"
# One awk process writes every file: a shell loop would take longer than the backup it feeds.
awk -v n="$n" -v out="$out" 'BEGIN {
  srand(42)
  for (i = 0; i < n; i++) {
    dir = sprintf("%s/d%03d/s%03d", out, int(i / 10000), int(i / 100) % 100)
    if (i % 100 == 0) system("mkdir -p \"" dir "\"")
    file = sprintf("%s/f%07d.txt", dir, i)
    len = 40 + int(rand() * 360)
    line = sprintf("file %d of %d, line of text ", i, n)
    text = ""
    while (length(text) < len) text = text line
    printf "%s\n", substr(text, 1, len) > file
    close(file)
  }
}'
echo "$out: $n files"
