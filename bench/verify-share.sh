#!/usr/bin/env bash
# What reading the archive back adds to a backup: each round backs the corpus up with
# bench/torvane-bench and then verifies the archive it wrote, from the disk, as a set with
# Verify=ON does; prints the medians and the verification's share of the backup's time.
# usage: bench/verify-share.sh CORPUS   (env: BENCH=path/to/torvane-bench ROUNDS=3 WORK=folder)
# The last line is machine-readable (wall seconds, processor seconds = user + system):
# backup-s=B verify-s=V verify/backup=R backup-cpu-s=BC verify-cpu-s=VC cpu-verify/backup=RC peak-MiB=M
set -euo pipefail
corpus=$(realpath "${1:?usage: verify-share.sh CORPUS}")
here=$(dirname "$(realpath "$0")")
bench=$(realpath "${BENCH:-$here/../build/release/bench/torvane-bench}")
rounds=${ROUNDS:-3}
work=$(realpath -m "${WORK:-$here/../build/verify-work}")
[ -x "$bench" ] || { echo "verify-share.sh: build $bench first (cmake --preset release && cmake --build build/release --target torvane-bench)" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

backups=""; verifies=""; backup_cpu=""; verify_cpu=""; peak=0
# timed COMMAND...: the wall and processor seconds into $took and $cpu; keeps the peak memory.
timed() {
  sync
  /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  read -r took user system kib < "$work/time"
  cpu=$(awk -v u="$user" -v s="$system" 'BEGIN {printf "%.2f", u + s}')
  [ "$kib" -gt "$peak" ] && peak=$kib
  return 0
}
median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

for r in $(seq "$rounds"); do
  rm -f "$work/set.zip"
  timed "$bench" backup "$corpus" "$work/set.zip"; backups+="$took "; backup_cpu+="$cpu "
  timed "$bench" verify "$work/set.zip"; verifies+="$took "; verify_cpu+="$cpu "
  echo "round $r of $rounds: backup $(awk '{print $NF}' <<<"$backups") s, verify $took s" >&2
done

b=$(median "$backups"); v=$(median "$verifies"); bc=$(median "$backup_cpu"); vc=$(median "$verify_cpu")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0) ? a / b : 0}'; }
echo "corpus: $corpus ($(du -sb "$corpus" | cut -f1) bytes, $(find "$corpus" -type f | wc -l) files), archive $(stat -c %s "$work/set.zip") bytes, $rounds rounds"
echo "backup rounds (wall s): $backups (processor s): $backup_cpu"
echo "verify rounds (wall s): $verifies (processor s): $verify_cpu"
echo "backup-s=$b verify-s=$v verify/backup=$(ratio "$v" "$b") backup-cpu-s=$bc verify-cpu-s=$vc cpu-verify/backup=$(ratio "$vc" "$bc") peak-MiB=$(awk -v k="$peak" 'BEGIN {printf "%.0f", k / 1024}')"
