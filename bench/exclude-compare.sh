#!/usr/bin/env bash
# Times the engine's backup of a home-like tree (bench/make-home.sh) with and without the
# exclusions a user would set for its caches, alternating the two in every round, and prints
# medians. The last line is machine-readable: excluded-bytes=S with/without=R
# usage: bench/exclude-compare.sh HOME-TREE     (env: BENCH=path/to/torvane-bench ROUNDS=5 WORK=folder)
set -euo pipefail
home=$(realpath "${1:?usage: exclude-compare.sh HOME-TREE}")
here=$(dirname "$(realpath "$0")")
bench=$(realpath "${BENCH:-$here/../build/release/bench/torvane-bench}")
rounds=${ROUNDS:-5}
work=$(realpath -m "${WORK:-$here/../build/exclude-work}")
exclude='*.tmp;.cache\;node_modules\;CACHE\'
[ -x "$bench" ] || { echo "exclude-compare.sh: build $bench first (cmake --preset release && cmake --build build/release --target torvane-bench)" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

declare -A times
run() {
  local name=$1; shift
  rm -f "$work/$name.zip"
  sync
  /usr/bin/time -f '%e' -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  times[$name]+="$(cat "$work/time") "
}
median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

for r in $(seq "$rounds"); do
  for who in $( ((r % 2)) && echo "all excluding" || echo "excluding all"); do
    case $who in
      all) run all "$bench" backup "$home" "$work/all.zip" 5 ;;
      excluding) run excluding "$bench" backup "$home" "$work/excluding.zip" 5 0 "$exclude" ;;
    esac
  done
done

# Outside the timing: what the exclusions left out, by the archives' own listings.
total=$(unzip -Zt "$work/all.zip" | awk '{print $3}')
kept=$(unzip -Zt "$work/excluding.zip" | awk '{print $3}')
share=$(awk -v k="$kept" -v t="$total" 'BEGIN {printf "%.2f", 1 - k / t}')
a=$(median "${times[all]}"); e=$(median "${times[excluding]}")
echo "tree: $home, $rounds rounds, medians; exclusions: $exclude"
printf '%-22s %10s %14s\n' "run" "seconds" "bytes stored"
printf '%-22s %10s %14s\n' "without exclusions" "$a" "$total"
printf '%-22s %10s %14s\n' "with exclusions" "$e" "$kept"
echo "excluded-bytes=$share with/without=$(awk -v a="$e" -v b="$a" 'BEGIN {printf "%.2f", (b > 0) ? a / b : 0}')"
