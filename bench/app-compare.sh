#!/usr/bin/env bash
# Times the whole program against its engine over one corpus: `Torvane SET.INI` run unattended
# (offscreen, as a scheduler starts it) from a temporary program folder with its own settings
# folder and Drives.ini, and `torvane-bench backup` of the same tree, alternating in every round.
# Both write level 5 with every core. The splash is set to 0 ms: it is a fixed wait, not work.
# usage: bench/app-compare.sh CORPUS     (env: BUILD=build/release ROUNDS=3 WORK=folder)
# The last line is machine-readable: app/engine=R peak-MiB=M (M: the program's peak resident memory)
set -euo pipefail
corpus=$(realpath "${1:?usage: app-compare.sh CORPUS}")
here=$(dirname "$(realpath "$0")")
build=$(realpath "${BUILD:-$here/../build/release}")
rounds=${ROUNDS:-3}
work=$(realpath -m "${WORK:-$here/../build/app-compare-work}")
app=$build/bin/Torvane
bench=$build/bench/torvane-bench
for tool in unzip /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "app-compare.sh: $tool is missing (run scripts/setup)" >&2; exit 1; }
done
for f in "$app" "$bench"; do
  [ -x "$f" ] || { echo "app-compare.sh: build $f first (cmake --preset release -G Ninja && cmake --build --preset release)" >&2; exit 1; }
done
rm -rf "$work"
mkdir -p "$work/c/Prog" "$work/c/Backups" "$work/cfg/Torvane" "$work/home"
trap 'rm -rf "$work"' EXIT
cp "$app" "$work/c/Prog/Torvane"
cp -r "$build/bin/System" "$work/c/Prog/System"
# The corpus is drive S:, so the program's member names are the engine's: paths below the corpus.
printf '[Drives]\nC=%s, fixed\nS=%s, fixed\n' "$work/c" "$corpus" > "$work/cfg/Torvane/Drives.ini"
printf '[BACKUP SOURCE]\r\nBackupFiles=S:\\*.*\r\nBackupSubDirectories=ON\r\n[DESTINATION]\r\nBackupFileName=APP\r\nMultiVolumeBackup=OFF\r\nBackupToDrive=C:\\BACKUPS\\\r\nTimeBackup=OFF\r\n\r\n[RESTORE SOURCE]\r\nRestoreFromDrive=\r\nRestoreFileName=\r\n' \
  > "$work/c/Prog/APP.INI"

declare -A times peaks
# run NAME COMMAND...: wall seconds into times[NAME], the highest peak RSS (KiB) into peaks[NAME].
run() {
  local name=$1; shift
  sync
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >"$work/out-$name" 2>"$work/err-$name" || { cat "$work/err-$name" >&2; exit 1; }
  read -r secs kib < "$work/time"
  times[$name]+="$secs "
  [ "$kib" -gt "${peaks[$name]:-0}" ] && peaks[$name]=$kib
  return 0
}
median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

for r in $(seq "$rounds"); do
  rm -f "$work"/engine.zip "$work"/c/Backups/*
  # The first reader of a round may find the tree less cached than the second: swap every round.
  for who in $( ((r % 2)) && echo "engine app" || echo "app engine"); do
    case $who in
      engine) run engine "$bench" backup "$corpus" "$work/engine.zip" 5 ;;
      app) run app env -C "$work" HOME="$work/home" XDG_CONFIG_HOME="$work/cfg" QT_QPA_PLATFORM=offscreen \
             TORVANE_SPLASH_MS=0 "$work/c/Prog/Torvane" APP.INI ;;
    esac
  done
  # Outside the timing: the program must have ended its run, quietly, with the engine's members.
  if [ -s "$work/out-app" ] || [ -s "$work/err-app" ]; then
    echo "app-compare.sh: the program printed:" >&2; cat "$work/out-app" "$work/err-app" >&2; exit 1
  fi
  tail -c 200 "$work/c/Prog/Torvane.Log" | grep -q "Successful Backup" ||
    { echo "app-compare.sh: the program's run did not succeed:" >&2; tail -5 "$work/c/Prog/Torvane.Log" >&2; exit 1; }
  unzip -Z1 "$work/engine.zip" | sort > "$work/engine.list"
  unzip -Z1 "$work/c/Backups/APP.zip" | sort > "$work/app.list"
  cmp -s "$work/engine.list" "$work/app.list" ||
    { echo "app-compare.sh: the program's archive holds other members than the engine's" >&2; exit 1; }
  echo "round $r of $rounds done" >&2
done

a=$(median "${times[app]}"); e=$(median "${times[engine]}")
files=$(wc -l < "$work/engine.list")
ratio=$(awk -v a="$a" -v b="$e" 'BEGIN {printf "%.2f", (b > 0) ? a / b : 0}')
mib() { awk -v k="$1" 'BEGIN {printf "%.0f", k / 1024}'; }
per() { awk -v s="$1" -v n="$files" 'BEGIN {printf "%.1f", (n > 0) ? s * 1e6 / n : 0}'; }
echo "corpus: $corpus ($(du -sb "$corpus" | cut -f1) bytes, $files members), $rounds rounds, medians"
printf '%-34s %10s %12s %10s\n' "run" "seconds" "us per file" "peak MiB"
printf '%-34s %10s %12s %10s\n' "Torvane APP.INI (unattended)" "$a" "$(per "$a")" "$(mib "${peaks[app]}")"
printf '%-34s %10s %12s %10s\n' "torvane-bench backup" "$e" "$(per "$e")" "$(mib "${peaks[engine]}")"
echo "app/engine=$ratio peak-MiB=$(mib "${peaks[app]}")"
