#!/usr/bin/env bash
# Generates the mixed benchmark corpus (about 700 MB) in OUTPUT-FOLDER:
#   src/     real source and text: /usr/include, the Python library, and 20,000 small files of
#            header lines mixed at random (tens of thousands of small files in all)
#   big/     a few large compressible files: tar streams of libraries and shared data
#   media/   incompressible data: two 40 MB "videos" and 300 "photos" of 200 KB
# usage: bench/make-corpus.sh OUTPUT-FOLDER
set -euo pipefail
out=${1:?usage: make-corpus.sh OUTPUT-FOLDER}
mkdir -p "$out/src" "$out/big" "$out/media"
cp -r /usr/include "$out/src/include"
cp -r /usr/lib/python3.11 "$out/src/python3.11" 2>/dev/null || cp -r /usr/lib/python3 "$out/src/python3"
python3 - "$out/src/mixed" <<'PY'
import os, random, sys
root = sys.argv[1]
random.seed(42)
lines = []
for d, _, files in os.walk('/usr/include'):
    for f in files:
        try:
            with open(os.path.join(d, f), 'rb') as fh:
                lines.extend(fh.read().splitlines(keepends=True)[:200])
        except OSError:
            pass
        if len(lines) > 400000:
            break
for i in range(20000):
    folder = os.path.join(root, 'mod%03d' % (i // 200), 'part%d' % (i % 7))
    os.makedirs(folder, exist_ok=True)
    start = random.randrange(len(lines) - 200)
    body = b''.join(lines[start:start + random.randint(40, 150)])
    with open(os.path.join(folder, 'file%05d.%s' % (i, random.choice(['c', 'h', 'txt', 'cpp']))), 'wb') as fh:
        fh.write(body)
PY
tar -cf - -C /usr/lib llvm-14/lib 2>/dev/null | head -c 150000000 > "$out/big/llvm-libs.tar" || true
tar -cf - -C /usr share 2>/dev/null | head -c 100000000 > "$out/big/usr-share.tar" || true
for i in 1 2; do head -c 40000000 /dev/urandom > "$out/media/video$i.mp4"; done
mkdir -p "$out/media/photos"
for i in $(seq -w 1 300); do head -c 200000 /dev/urandom > "$out/media/photos/IMG_$i.jpg"; done
du -sh "$out"
find "$out" -type f | wc -l
