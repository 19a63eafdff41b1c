#!/usr/bin/env bash
# Writes a home-like tree of about MB megabytes (default 100) into FOLDER: documents, pictures and
# source projects, and the caches a home collects (.cache, node_modules, a program's Cache folder)
# holding 40 % of the bytes. Both parts mix text and incompressible bytes half and half, so that
# leaving the caches out saves work in proportion to their bytes.
# usage: bench/make-home.sh FOLDER [MB]
set -euo pipefail
out=$(realpath -m "${1:?usage: make-home.sh FOLDER [MB]}")
mb=${2:-100}
[ -e "$out" ] && { echo "make-home.sh: $out exists" >&2; exit 1; }
python3 - "$out" "$mb" <<'PY'
import os, random, sys
root, mb = sys.argv[1], int(sys.argv[2])
random.seed(13)
# Text to cut slices from: the first 8 MB of the system's C headers.
pool = bytearray()
for d, _, files in sorted(os.walk('/usr/include')):
    for f in sorted(files):
        try:
            with open(os.path.join(d, f), 'rb') as fh:
                pool += fh.read()
        except OSError:
            pass
    if len(pool) > 8_000_000:
        break

def text(size):
    start = random.randrange(max(1, len(pool) - size))
    return bytes(pool[start:start + size])

def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as fh:
        fh.write(data)

# (folder pattern, share of all bytes, mean file size); each half text, half random bytes.
parts = [
    ('Documents/{i:03d}', 0.20, 200_000),
    ('Pictures/{i:03d}', 0.20, 400_000),
    ('Projects/app{g}/src/{i:04d}', 0.20, 8_000),
    ('.cache/browser/entries/{i:05d}', 0.20, 30_000),
    ('Projects/app{g}/node_modules/pkg{i:04d}/index', 0.12, 6_000),
    ('.config/editor/Cache/{i:04d}', 0.08, 20_000),
]
total = mb * 1_000_000
for pattern, share, mean in parts:
    budget, i = int(total * share), 0
    while budget > 0:
        size = min(budget, max(1, int(random.uniform(0.5, 1.5) * mean)))
        data = text(size) if i % 2 == 0 else random.randbytes(size)
        write(os.path.join(root, pattern.format(i=i, g=i % 5) + ('.txt' if i % 2 == 0 else '.bin')), data)
        budget -= size
        i += 1
PY
du -sb "$out"
