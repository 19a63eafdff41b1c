#!/usr/bin/env bash
# Builds the seed corpus of the reader fuzz target: small archives written by the engine itself
# and by Info-ZIP, 7-Zip and bsdtar (stored, deflate, bzip2, split, zip64 end records).
# usage: fuzz/make-seeds.sh BENCH-BINARY OUTPUT-FOLDER
set -euo pipefail
bench=$(realpath "$1")
out=$(realpath -m "$2")
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src="$work/src"
mkdir -p "$src/sub/deeper" "$src/naïve"
printf 'hello\n' > "$src/a.txt"
: > "$src/empty"
seq 1 300 > "$src/sub/numbers.txt"
head -c 700 /dev/urandom > "$src/sub/deeper/noise.bin"
printf 'ünï' > "$src/naïve/café.txt"
chmod 600 "$src/a.txt"

"$bench" backup "$src" "$out/engine.zip" 2>/dev/null
(cd "$src" && zip -q -r "$out/zip-deflate.zip" . && zip -q -r -0 "$out/zip-stored.zip" . \
  && zip -q -r -fz "$out/zip-zip64.zip" . \
  && 7z a -tzip -mm=BZip2 "$out/7z-bzip2.zip" . >/dev/null && 7z a -tzip "$out/7z.zip" . >/dev/null \
  && bsdtar --format zip -cf "$out/bsdtar.zip" . && zip -q -r -s 64k "$work/split.zip" .)
cp "$work/split.zip" "$out/split-last-volume.zip"
