#!/usr/bin/env bash
# Reads every include between engine folders and fails on one that points to a
# higher row, or sideways along an edge that is not in the list below. The
# rows and edges are the ones docs/architecture.md describes; change both
# together.
#
#   check_layers.sh [SOURCE_DIR]   (default: the src/ beside this script's tests/)
set -uo pipefail
src=${1:-"$(cd "$(dirname "$0")/../../src" && pwd)"}
engine="$src/engine"

declare -A row=(
  [base]=0
  [state]=1 [survey]=1
  [network]=2 [contour]=2 [hpgl]=2 [pictures]=2 [view3d]=2 [teaching]=2 [interchange]=2
  [commands]=3
)
# Includes allowed between folders of one row. They form no cycle.
allowed_sideways=" survey>state contour>network contour>hpgl pictures>network teaching>contour view3d>network interchange>contour interchange>network "

faults=0
for dir in "$engine"/*/; do
  folder=$(basename "$dir")
  if [ -z "${row[$folder]+x}" ]; then
    echo "engine/$folder/ has no row: place it in tests/layers/check_layers.sh and docs/architecture.md"
    faults=$((faults + 1))
  fi
done

while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  line=${rest%%:*}
  from=${file#"$engine"/}
  from=${from%%/*}
  to=$(sed -E 's#.*"engine/([^/]+)/.*#\1#' <<<"$rest")
  [ "$from" = "$to" ] && continue
  [ -z "${row[$from]+x}" ] || [ -z "${row[$to]+x}" ] && continue
  if [ "${row[$to]}" -gt "${row[$from]}" ]; then
    echo "${file#"$src"/}:$line: $from (row ${row[$from]}) includes $to (row ${row[$to]}), a higher row"
    faults=$((faults + 1))
  elif [ "${row[$to]}" -eq "${row[$from]}" ] && [[ "$allowed_sideways" != *" $from>$to "* ]]; then
    echo "${file#"$src"/}:$line: $from includes $to, a sideways edge that is not allowed"
    faults=$((faults + 1))
  fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"engine/[^/]+/' "$engine" --include='*.h' --include='*.cpp')

if [ "$faults" -ne 0 ]; then
  echo "$faults layer fault(s)"
  exit 1
fi
echo "engine layers: no include points up or along a forbidden edge"
