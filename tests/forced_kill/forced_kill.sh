#!/usr/bin/env bash
# Kills the record editor with SIGKILL at random moments of a delete and of
# a compaction on a 20,000-record file, and checks byte for byte that the
# data file is then the whole old file or the whole new one. Runs both with
# the current folder (where the temporary "~~Tmp~~.Tmp" lives) beside the
# data file and on another file system (/dev/shm), where the new file is
# copied beside the data file first. Afterwards one run to the end must
# leave no temporary file of any kind behind.
#
#   forced_kill.sh EDIT_DRIVER KILLS_PER_PATH [RECORDS]
set -euo pipefail
driver=$(realpath "$1")
kills=$2
records=${3:-20000}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tervane-kill-XXXXXX")
other=""
cleanup() { rm -rf "$scratch" ${other:+"$other"}; }
trap cleanup EXIT
fail() { echo "forced_kill: $*" >&2; exit 1; }

"$driver" make "$scratch/original.D3D" "$records"

now_ms() { date +%s%3N; }

# run_path NAME WORKDIR: the kills for one placement of the current folder.
run_path() {
  local name=$1 work=$2 data="$scratch/data/survey.D3D"
  mkdir -p "$scratch/data" "$work"
  for command in delete compact; do
    local args=("$data")
    [ "$command" = delete ] && args+=($((records / 3)))
    # The new bytes and the time a whole run takes, from one run to the end.
    cp "$scratch/original.D3D" "$data"
    local start end
    start=$(now_ms)
    (cd "$work" && "$driver" "$command" "${args[@]}") || fail "$name $command: the driver failed"
    end=$(now_ms)
    cp "$data" "$scratch/new.D3D"
    cmp -s "$scratch/new.D3D" "$scratch/original.D3D" && fail "$name $command changed nothing"
    local span=$((end - start + 20)) old=0 new=0 torn=0
    for ((i = 0; i < kills; i++)); do
      cp "$scratch/original.D3D" "$data"
      (cd "$work" && exec "$driver" "$command" "${args[@]}") &
      local pid=$!
      sleep "$(awk -v r=$RANDOM -v s=$span 'BEGIN { printf "%.3f", r / 32768 * s / 1000 }')"
      kill -KILL "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
      if cmp -s "$data" "$scratch/original.D3D"; then
        old=$((old + 1))
      elif cmp -s "$data" "$scratch/new.D3D"; then
        new=$((new + 1))
      else
        torn=$((torn + 1))
        cp "$data" "$scratch/torn-$name-$command-$i.D3D"
      fi
    done
    local copies
    copies=$(find "$scratch/data" -maxdepth 1 -name '~~Tmp~~??????' | wc -l)
    # One more run to the end clears what the killed ones left, and a copy
    # planted as a killed run on another file system would leave it.
    cp "$scratch/original.D3D" "$data"
    cp "$scratch/original.D3D" "$scratch/data/~~Tmp~~Pl4nt3"
    (cd "$work" && "$driver" "$command" "${args[@]}") || fail "$name $command: the driver failed after the kills"
    cmp -s "$data" "$scratch/new.D3D" || fail "$name $command: the run after the kills wrote other bytes"
    local left
    left=$(find "$scratch/data" "$work" -maxdepth 1 -name '~~Tmp~~*' | wc -l)
    echo "$name $command: $kills kills, $old old, $new new, $torn torn;" \
         "$copies copies left by kills, $left temporary files after the next run"
    [ "$torn" -eq 0 ] || fail "$name $command: $torn kills left a torn data file"
    [ "$left" -eq 0 ] || fail "$name $command: temporary files were left after a whole run"
  done
}

run_path same-fs "$scratch/data"
if [ -d /dev/shm ] && [ -w /dev/shm ] && [ "$(stat -c %d /dev/shm)" != "$(stat -c %d "$scratch")" ]; then
  other=$(mktemp -d /dev/shm/tervane-kill-XXXXXX)
  run_path cross-fs "$other"
else
  echo "cross-fs: skipped, no second file system at /dev/shm"
fi
