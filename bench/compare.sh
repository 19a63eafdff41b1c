#!/usr/bin/env bash
# Times Torvane's engine (bench/torvane-bench) against the zip tools a user would otherwise
# script, over one corpus, alternating tools in every round, and prints medians of the rounds.
# Every restored tree is compared with the corpus, file by file, outside the timing.
# usage: bench/compare.sh CORPUS        (env: BENCH=path/to/torvane-bench ROUNDS=3 WORK=folder)
# The last line is machine-readable:
# backup/zip6=R size/zip6=S backup/7z-mx1=R size/7z-mx1=S restore/unzip=R restore/bsdtar=R peak-MiB=M
set -euo pipefail
corpus=$(realpath "${1:?usage: compare.sh CORPUS}")
here=$(dirname "$(realpath "$0")")
bench=$(realpath "${BENCH:-$here/../build/release/bench/torvane-bench}")
rounds=${ROUNDS:-3}
work=$(realpath -m "${WORK:-$here/../build/bench-work}")
for tool in zip unzip 7z bsdtar /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool is missing (run scripts/setup)" >&2; exit 1; }
done
[ -x "$bench" ] || { echo "compare.sh: build $bench first (cmake --preset release && cmake --build build/release --target torvane-bench)" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"
# Each round keeps three extracted trees and three archives.
need=$(( $(du -sb "$corpus" | cut -f1) * (3 * rounds + 2) ))
free=$(( $(stat -f -c '%a * %S' "$work") ))
[ "$free" -gt "$need" ] || { echo "compare.sh: $work needs $((need >> 20)) MiB free, has $((free >> 20)) MiB" >&2; rm -rf "$work"; exit 1; }
trap 'rm -rf "$work"' EXIT
# Outside the timing: the corpus is read once, so that the first backup timed does not pay alone
# for bringing it in from the disk (a million cold files took it from 20 s to 87 s).
find "$corpus" -type f -print0 | xargs -0 cat > /dev/null

declare -A times
peak=0
peak_backup=0
peak_restore=0
# run NAME COMMAND...: wall seconds into times[NAME], peak RSS of torvane-bench runs into peak.
run() {
  local name=$1; shift
  # Dirty pages of the previous run (a written archive, a removed tree) would be flushed during
  # this one and billed to whichever tool comes next; flush them first, outside the timing.
  sync
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  read -r secs kib < "$work/time"
  times[$name]+="$secs "
  case $name in
    ours-backup) [ "$kib" -gt "$peak_backup" ] && peak_backup=$kib ;;
    ours-restore) [ "$kib" -gt "$peak_restore" ] && peak_restore=$kib ;;
  esac
  [ "$peak_backup" -gt "$peak" ] && peak=$peak_backup
  [ "$peak_restore" -gt "$peak" ] && peak=$peak_restore
  return 0
}
median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

for r in $(seq "$rounds"); do
  rm -f "$work"/*.zip
  run ours-backup "$bench" backup "$corpus" "$work/ours.zip"
  run zip6 env -C "$corpus" zip -r -q -6 "$work/zip6.zip" .
  run 7z-mx1 env -C "$corpus" 7z a -tzip -mx=1 -mmt=2 "$work/7z.zip" .
  # Every extraction gets a folder of its own and none is removed before the end: on a file
  # system without a journal (as on the machines these targets were set on), ext4 passes over
  # every inode freed in the last five minutes when it allocates one, so removing the previous
  # tree would bill each extraction with a scan that grows round after round.
  for extract in ours unzip bsdtar; do
    x="$work/x-$r-$extract"
    mkdir -p "$x"
    case $extract in
      ours) run ours-restore "$bench" restore "$work/ours.zip" "$x" ;;
      unzip) run unzip unzip -q "$work/ours.zip" -d "$x" ;;
      bsdtar) run bsdtar bsdtar -xf "$work/ours.zip" -C "$x" ;;
    esac
    # Outside the timing: a fast restore that wrote the wrong bytes would be worth nothing.
    python3 "$here/same-tree.py" "$corpus" "$x" "round $r, $extract" || { echo "compare.sh: $extract restored a tree that differs from the corpus" >&2; exit 1; }
  done
  echo "round $r of $rounds done" >&2
done

size() { stat -c %s "$1"; }
ours_b=$(median "${times[ours-backup]}"); zip6=$(median "${times[zip6]}"); z7=$(median "${times[7z-mx1]}")
ours_r=$(median "${times[ours-restore]}"); unz=$(median "${times[unzip]}"); bsd=$(median "${times[bsdtar]}")
s_ours=$(size "$work/ours.zip"); s_zip6=$(size "$work/zip6.zip"); s_7z=$(size "$work/7z.zip")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0) ? a / b : 0}'; }
mib=$(awk -v k="$peak" 'BEGIN {printf "%.0f", k / 1024}')

echo "corpus: $corpus ($(du -sb "$corpus" | cut -f1) bytes, $(find "$corpus" -type f | wc -l) files), $rounds rounds, medians"
printf '%-28s %10s %14s\n' "run" "seconds" "archive bytes"
printf '%-28s %10s %14s\n' "torvane backup" "$ours_b" "$s_ours"
printf '%-28s %10s %14s\n' "zip -r -q -6" "$zip6" "$s_zip6"
printf '%-28s %10s %14s\n' "7z a -tzip -mx=1 -mmt=2" "$z7" "$s_7z"
printf '%-28s %10s\n' "torvane restore" "$ours_r"
printf '%-28s %10s\n' "unzip -q" "$unz"
printf '%-28s %10s\n' "bsdtar -xf" "$bsd"
echo "peak memory of torvane-bench: $mib MiB (backup $((peak_backup / 1024)) MiB, restore $((peak_restore / 1024)) MiB)"
echo "backup/zip6=$(ratio "$ours_b" "$zip6") size/zip6=$(ratio "$s_ours" "$s_zip6") backup/7z-mx1=$(ratio "$ours_b" "$z7") size/7z-mx1=$(ratio "$s_ours" "$s_7z") restore/unzip=$(ratio "$ours_r" "$unz") restore/bsdtar=$(ratio "$ours_r" "$bsd") peak-MiB=$mib"
