#!/usr/bin/env bash
# Kills `tervane render` with SIGKILL at random moments while it writes a
# PNG, an SVG, a PDF and a plot file over good files of the same names, and
# checks that each output is then the old file or a whole new one, never a
# cut one. A new PNG, SVG or plot file must equal the one a run to the end
# writes (the seed is fixed); a new PDF, which carries its creation time,
# must be a whole PDF.
#
#   render_kill.sh TERVANE KILLS SURVEY_FILE
set -euo pipefail
tervane=$(realpath "$1")
kills=$2
survey=$(realpath "$3")

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tervane-render-kill-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "render_kill: $*" >&2; exit 1; }

cd "$scratch"
cp "$survey" map.D3D
outputs=(map.png map.svg map.pdf map.PLT)
args=(render map.D3D --seed 1 --hpgl --png map.png --svg map.svg --pdf map.pdf)

# Whole new files, and how long a whole run takes.
start=$(date +%s%3N)
QT_QPA_PLATFORM=offscreen "$tervane" "${args[@]}" > /dev/null 2>&1 || fail "a run to the end failed"
end=$(date +%s%3N)
mkdir new old
for f in "${outputs[@]}"; do
  cp "$f" "new/$f"
  printf 'old %s\n' "$f" > "old/$f"
done
span=$((end - start + 50))

whole_pdf() { tail -c 1024 "$1" | grep -q '%%EOF'; }

declare -A old_count=() new_count=() torn_count=()
for ((i = 0; i < kills; i++)); do
  for f in "${outputs[@]}"; do cp "old/$f" "$f"; done
  QT_QPA_PLATFORM=offscreen "$tervane" "${args[@]}" > /dev/null 2>&1 &
  pid=$!
  sleep "$(awk -v r=$RANDOM -v s=$span 'BEGIN { printf "%.3f", r / 32768 * s / 1000 }')"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  for f in "${outputs[@]}"; do
    if cmp -s "$f" "old/$f"; then
      old_count[$f]=$((${old_count[$f]:-0} + 1))
    elif cmp -s "$f" "new/$f" || { [ "$f" = map.pdf ] && whole_pdf "$f"; }; then
      new_count[$f]=$((${new_count[$f]:-0} + 1))
    else
      torn_count[$f]=$((${torn_count[$f]:-0} + 1))
      cp "$f" "torn-$i-$f"
    fi
  done
done

torn=0
for f in "${outputs[@]}"; do
  echo "$f: $kills kills, ${old_count[$f]:-0} old, ${new_count[$f]:-0} new, ${torn_count[$f]:-0} cut"
  torn=$((torn + ${torn_count[$f]:-0}))
done
[ "$torn" -eq 0 ] || fail "$torn outputs were found cut under their final names"
