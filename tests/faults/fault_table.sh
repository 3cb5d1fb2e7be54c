#!/usr/bin/env bash
# Faults from outside the program, one row each: a file system that fills
# up, names that hold FIFOs, devices or folders, outputs named like inputs,
# two runs in one folder, oversized resource files and bad colour tables.
# Every row checks the exit status and that the files that were there
# before are still there, byte for byte.
#
#   fault_table.sh TERVANE EDIT_DRIVER SOURCE_DIR
set -uo pipefail
tervane=$(realpath "$1")
driver=$(realpath "$2")
source_dir=$(realpath "$3")
example="$source_dir/examples/hill-and-saddle.D3D"
export QT_QPA_PLATFORM=offscreen

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tervane-faults-XXXXXX")
mounted=""
cleanup() {
  [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

passed=0
failed=0
row() { echo "--- $*"; }
ok() { passed=$((passed + 1)); echo "ok: $*"; }
bad() { failed=$((failed + 1)); echo "FAILED: $*"; }

# Runs a command in a fresh folder holding the example, with a time limit
# that turns a hang into a failure. Leaves its status in $status and what
# it printed in $said.
fresh() {
  work="$scratch/$1"
  rm -rf "$work"
  mkdir -p "$work"
  cp "$example" "$work/hill.D3D"
}
run() {
  said=$(cd "$work" && timeout 120 "$@" 2>&1)
  status=$?
}
expect_status() {  # NAME WANTED
  if [ "$status" -eq 124 ]; then
    bad "$1: hung (killed after 120 s)"
  elif [ "$2" = nonzero ] && [ "$status" -ne 0 ]; then
    ok "$1: status $status"
  elif [ "$status" = "$2" ]; then
    ok "$1: status $status"
  else
    bad "$1: status $status, wanted $2; it said: $said"
  fi
}
expect_same() {  # NAME FILE COPY
  if cmp -s "$2" "$3"; then ok "$1: $(basename "$2") intact"; else bad "$1: $(basename "$2") changed"; fi
}
expect_said() {  # NAME TEXT
  if grep -qF -- "$2" <<<"$said"; then ok "$1: says \"$2\""; else bad "$1: does not say \"$2\"; it said: $said"; fi
}
expect_not_said() {  # NAME TEXT
  if grep -qF -- "$2" <<<"$said"; then bad "$1: says \"$2\""; else ok "$1: does not blame \"$2\""; fi
}

data_message="数据记录中可能有不完整数据或两点数值相同的情况"

# 1. An output named like an input is refused before anything is written.
row "outputs named like inputs"
for flag in --png --bmp --svg --pdf; do
  fresh clash
  cp "$work/hill.D3D" "$work/keep.D3D"
  run "$tervane" render hill.D3D --seed 1 "$flag" hill.D3D
  expect_status "render $flag over its data file" 2
  expect_same "render $flag over its data file" "$work/hill.D3D" "$work/keep.D3D"
done
fresh clash
run "$tervane" render hill.D3D --seed 1 --png scan.png
cp "$work/scan.png" "$work/keep.png"
run "$tervane" render hill.D3D --seed 1 --picture scan.png --png scan.png
expect_status "render over its picture" 2
expect_same "render over its picture" "$work/scan.png" "$work/keep.png"
fresh clash
cp "$work/hill.D3D" "$work/keep.D3D"
run "$tervane" view3d hill.D3D --seed 1 --png hill.D3D
expect_status "view3d over its data file" 2
expect_same "view3d over its data file" "$work/hill.D3D" "$work/keep.D3D"
ln "$work/hill.D3D" "$work/hard.png"
run "$tervane" render hill.D3D --seed 1 --png hard.png
expect_status "render over a hard link to its data file" 2
expect_same "render over a hard link to its data file" "$work/hill.D3D" "$work/keep.D3D"
run "$tervane" render hill.D3D --seed 1 --hpgl
cp "$work/hill.PLT" "$work/keep.PLT"
run "$tervane" play hill.PLT --png hill.PLT
expect_status "play over its plot file" 2
expect_same "play over its plot file" "$work/hill.PLT" "$work/keep.PLT"

# 2 and 3. Two editors from two folders, and a link at the old temporary
# name, are rows of forced_kill.sh; here one held file refuses a second
# editor from another folder.
row "a data file held by an editor"
fresh editor
mkdir -p "$work/a" "$work/b"
cp "$work/hill.D3D" "$work/keep.D3D"
(cd "$work/a" && exec "$driver" hold "$work/hill.D3D" 5 > "$work/held") &
holder=$!
for ((t = 0; t < 200; t++)); do [ -s "$work/held" ] && break; sleep 0.05; done
(cd "$work/b" && "$driver" delete "$work/hill.D3D" 3 > /dev/null 2>&1)
status=$?
said=""
expect_status "a delete while another editor holds the file" 3
expect_same "a delete while another editor holds the file" "$work/hill.D3D" "$work/keep.D3D"
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null

# 4. FIFOs where the program expects files: no hang, and a clean end.
row "FIFOs named like the program's files"
for name in photofiles1.txt dzx.NDX dzx.XYZ dzx.DH; do
  fresh "fifo-$name"
  mkfifo "$work/$name"
  run "$tervane" render hill.D3D --seed 1 --png map.png
  [ "$name" = photofiles1.txt ] && expect_status "render with $name a FIFO" 0 || expect_status "render with $name a FIFO" nonzero
done
fresh fifo-d3d
mkfifo "$work/D3d.dzx"
run "$tervane" view3d hill.D3D --seed 1 --png v.png
expect_status "view3d with D3d.dzx a FIFO" nonzero
fresh fifo-picture
mkfifo "$work/scan.png"
run "$tervane" render hill.D3D --seed 1 --picture scan.png --png map.png
expect_status "render with a FIFO as its picture" nonzero
fresh fifo-plt
mkfifo "$work/hill.PLT"
run "$tervane" render hill.D3D --seed 1 --hpgl
expect_status "render recording into a FIFO" nonzero
expect_not_said "render recording into a FIFO" "$data_message"

# 5. A write that fails leaves the old file and a non-zero status. A small
# tmpfs fills up where this machine lets us mount one; otherwise a file
# size limit stands in for the full disk.
row "a disk that fills up"
fresh full
run "$tervane" render hill.D3D --seed 1 --png big.png --svg big.svg --pdf big.pdf --hpgl
for f in big.png big.svg big.pdf hill.PLT; do cp "$work/$f" "$work/keep-$f"; done
small="$scratch/small"
mkdir -p "$small"
# The old files go onto the small disk first; then it is filled up.
fill() { dd if=/dev/zero of="$small/filler" bs=4k 2>/dev/null; true; }
if mount -t tmpfs -o size=1m tmpfs "$small" 2>/dev/null; then
  mounted="$small"
  limit=""
  echo "full disk: a 1 MB tmpfs, filled up"
else
  limit="ulimit -f 16;"
  echo "full disk: a 16 KB file size limit (no tmpfs could be mounted)"
fi
for f in big.png big.svg big.pdf hill.PLT; do cp "$work/keep-$f" "$small/${f/big/map}"; done
cp "$work/hill.D3D" "$small/hill.D3D"
[ -n "$mounted" ] && fill
for f in map.png map.svg map.pdf; do
  flag="--${f#map.}"
  said=$(cd "$work" && trap '' XFSZ && eval "$limit" timeout 120 "$tervane" render hill.D3D --seed 1 "$flag" "$small/$f" 2>&1)
  status=$?
  expect_status "render $flag onto a full disk" nonzero
  expect_same "render $flag onto a full disk" "$small/$f" "$work/keep-${f/map/big}"
done
# The plot file lands beside its data file, both on the small disk.
said=$(cd "$work" && trap '' XFSZ && eval "$limit" timeout 120 "$tervane" render "$small/hill.D3D" --seed 1 --hpgl 2>&1)
status=$?
expect_status "recording onto a full disk" nonzero
expect_same "recording onto a full disk" "$small/hill.PLT" "$work/keep-hill.PLT"
expect_not_said "recording onto a full disk" "$data_message"
fresh devfull
run "$tervane" render hill.D3D --seed 1 --svg /dev/full
expect_status "an SVG onto /dev/full" nonzero

# 6. Two runs in one folder: the second waits for the first's working files.
row "two runs in one folder"
fresh lock
(cd "$work" && exec flock dzx.lock sleep 4) &
locker=$!
sleep 0.3
started=$(date +%s%3N)
run "$tervane" render hill.D3D --seed 1 --png map.png
waited=$(($(date +%s%3N) - started))
wait "$locker"
expect_status "a render while another holds the working files" 0
expect_said "a render while another holds the working files" "waiting for another run"
if [ "$waited" -ge 1500 ]; then ok "the second run waited ${waited} ms"; else bad "the second run did not wait (${waited} ms)"; fi

# 8. What check passes, render draws, and the reverse.
row "check and render agree"
fresh check
cp "$work/hill.D3D" "$work/keep.D3D"
run "$tervane" render hill.D3D --seed 1 --png map.png
run "$tervane" check map.png
expect_status "check of a PNG" 1
printf 'abc            abc            abc            note                ' > "$work/abc.D3D"
for ((i = 0; i < 6; i++)); do cat "$work/abc.D3D"; done > "$work/abc6.D3D"
run "$tervane" check abc6.D3D
expect_status "check of a file of abc fields" 1
run "$tervane" render abc6.D3D --png abc.png
expect_status "render of a file of abc fields" nonzero
run "$tervane" check hill.D3D --interval 0.0001
expect_status "check at an interval that gives too many levels" 1
run "$tervane" render hill.D3D --interval 0.0001 --png tiny.png
expect_status "render at an interval that gives too many levels" nonzero
expect_not_said "render at an interval that gives too many levels" "$data_message"

# 9. Bad colour tables fall back to the shipped one; none at all is said.
row "colour tables"
fresh colours-shipped
run "$tervane" view3d hill.D3D --seed 1 --png shipped.png
cp "$work/shipped.png" "$scratch/shipped.png"
for kind in empty short nan; do
  fresh "colours-$kind"
  case $kind in
    empty) : > "$work/color0.DAT" ;;
    short) head -c 6 "$source_dir/resources/colours/color0.DAT" > "$work/color0.DAT" ;;
    nan) printf '\xff\xff\xff\x7f%.0s' {1..11} > "$work/color0.DAT" ;;
  esac
  run "$tervane" view3d hill.D3D --seed 1 --png v.png
  expect_status "view3d with a $kind colour table" 0
  expect_said "view3d with a $kind colour table" "color0.DAT"
  # The shipped table of the same number stands in: the same picture.
  expect_same "view3d with a $kind colour table" "$work/v.png" "$scratch/shipped.png"
done
fresh colours-big
head -c 8192 /dev/zero > "$work/color0.DAT"
run "$tervane" view3d hill.D3D --seed 1 --png v.png
expect_said "view3d with an oversized colour table" "color0.DAT"

# 10 and 11. Plot-file problems name their cause; oversized glyph files
# are refused at once.
row "plot files and glyph files"
fresh plt-folder
mkdir "$work/hill.PLT"
run "$tervane" render hill.D3D --seed 1 --hpgl
expect_status "recording onto a folder" nonzero
expect_not_said "recording onto a folder" "$data_message"
fresh glyphs
truncate -s 100M "$work/00.zk"
started=$(date +%s)
run "$tervane" render hill.D3D --seed 1 --hpgl
took=$(($(date +%s) - started))
expect_status "recording with a 100 MB glyph file" nonzero
expect_said "recording with a 100 MB glyph file" "00.zk"
if [ "$took" -lt 60 ]; then ok "the oversized glyph file was refused in ${took} s"; else bad "the oversized glyph file took ${took} s"; fi

# 12. Empty output names are usage mistakes.
row "empty names"
fresh empty
for args in "render hill.D3D --png" "render hill.D3D --svg" "play hill.PLT --png"; do
  run "$tervane" $args ''
  expect_status "$args ''" 2
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
