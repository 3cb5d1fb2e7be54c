#!/usr/bin/env bash
# Kills the record editor with SIGKILL at random moments of a delete and of
# a compaction on a 20,000-record file, and checks byte for byte that the
# data file is then the whole old file or the whole new one. The new file
# is written beside the data file whatever the current folder is; the runs
# start both from the data file's folder and from another file system
# (/dev/shm). Afterwards one run to the end must leave no temporary file of
# any kind behind.
#
# Then two editors work on the one file from two folders: while one holds
# it the other is refused and changes nothing, and when two deletes run at
# once every delete that reports success is in the file. A link planted in
# those folders under the old temporary name is never written through.
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

# Two editors on one file, each started from its own folder.
two_folders() {
  local data="$scratch/data/survey.D3D" a="$scratch/folder-a" b="$scratch/folder-b"
  mkdir -p "$a" "$b"
  echo "not survey data" > "$scratch/victim"
  ln -s "$scratch/victim" "$a/~~Tmp~~.Tmp"
  ln -s "$scratch/victim" "$b/~~Tmp~~.Tmp"
  cp "$scratch/original.D3D" "$data"
  (cd "$a" && exec "$driver" hold "$data" 30 > "$scratch/held") &
  local holder=$! rc=0
  for ((t = 0; t < 400; t++)); do
    [ -s "$scratch/held" ] && break
    kill -0 "$holder" 2>/dev/null || break
    sleep 0.05
  done
  [ -s "$scratch/held" ] || fail "two folders: the first editor did not open the file"
  (cd "$b" && "$driver" delete "$data" 5) || rc=$?
  kill "$holder" 2>/dev/null || true
  wait "$holder" 2>/dev/null || true
  [ "$rc" -eq 3 ] || fail "two folders: a second editor was not refused (exit $rc)"
  cmp -s "$data" "$scratch/original.D3D" || fail "two folders: the refused editor changed the file"
  local rounds=6 done_deletes=0 refused=0
  for ((i = 0; i < rounds; i++)); do
    cp "$scratch/original.D3D" "$data"
    (cd "$a" && exec "$driver" delete "$data" 7) &
    local first=$!
    (cd "$b" && exec "$driver" delete "$data" 9) &
    local second=$! ok=0
    for pid in "$first" "$second"; do
      rc=0
      wait "$pid" || rc=$?
      case $rc in
        0) ok=$((ok + 1)) ;;
        3) refused=$((refused + 1)) ;;
        *) fail "two folders: a delete failed (exit $rc)" ;;
      esac
    done
    done_deletes=$((done_deletes + ok))
    local left=$(($(stat -c %s "$data") / 65))
    [ "$left" -eq $((records - ok)) ] ||
      fail "two folders: $ok deletes reported done but $left of $records records are left"
  done
  [ -L "$data" ] && fail "two folders: the data file became a link"
  [ "$(cat "$scratch/victim")" = "not survey data" ] || fail "two folders: a planted link was written through"
  echo "two folders: a held file refused a second editor; $rounds rounds of two deletes at once," \
       "$done_deletes done, $refused refused, none lost"
}
two_folders
