#!/usr/bin/env python3
"""Checks that a restored tree holds every file of the corpus, byte for byte, and nothing else.

usage: same-tree.py CORPUS RESTORED [LABEL]

A backup takes regular files, and links that lead to regular files as the files they lead to;
it leaves out by design folder links, dangling links, sockets, pipes and devices, and folders
that hold no file. Those are counted and named in the first line, not reported as differences.
Exits 1 with the first differences listed when the trees disagree.
"""
import filecmp
import os
import stat
import sys


def files_of(root, follow_file_links):
    found, left_out = {}, {}
    for folder, subfolders, names in os.walk(root):
        for name in names + [d for d in subfolders if os.path.islink(os.path.join(folder, d))]:
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, root)
            st = os.lstat(path)
            if stat.S_ISLNK(st.st_mode) and follow_file_links:
                try:
                    st = os.stat(path)
                except OSError:
                    left_out[rel] = "dangling link"
                    continue
                if not stat.S_ISREG(st.st_mode):
                    left_out[rel] = "link to a folder" if stat.S_ISDIR(st.st_mode) else "link to a special file"
                    continue
            if stat.S_ISREG(st.st_mode):
                found[rel] = st.st_size
            else:
                left_out[rel] = "special file"
    return found, left_out


def main():
    corpus, restored = sys.argv[1], sys.argv[2]
    label = sys.argv[3] if len(sys.argv) > 3 else restored
    want, left_out = files_of(corpus, True)
    have, odd = files_of(restored, False)
    problems = []
    for rel, size in sorted(want.items()):
        if rel not in have:
            problems.append(f"missing: {rel}")
        elif have[rel] != size:
            problems.append(f"size {have[rel]} instead of {size}: {rel}")
        elif not filecmp.cmp(os.path.join(corpus, rel), os.path.join(restored, rel), shallow=False):
            problems.append(f"content differs: {rel}")
    problems += [f"not in the corpus: {rel}" for rel in sorted(set(have) - set(want))]
    problems += [f"restored as a {why}: {rel}" for rel, why in sorted(odd.items())]
    kinds = {}
    for why in left_out.values():
        kinds[why] = kinds.get(why, 0) + 1
    summary = ", ".join(f"{n} {why}" for why, n in sorted(kinds.items())) or "nothing"
    if problems:
        print(f"same-tree: {label}: {len(problems)} difference(s) from the corpus:", file=sys.stderr)
        for line in problems[:20]:
            print("  " + line, file=sys.stderr)
        return 1
    print(f"same-tree: {label}: {len(want)} files equal to the corpus; left out by design: {summary}",
          file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
