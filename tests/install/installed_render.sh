#!/usr/bin/env bash
# Installs the build into a scratch root with DESTDIR and draws a recorded map
# with the installed program from a folder that holds no glyph files, so the
# value labels can only come from ../share/tervane. The plot file must match
# the build tree's byte for byte, and a lone copy of the program (no
# resources anywhere near it) must fail to record the labels, which shows
# the check depends on the glyphs being found.
set -euo pipefail
build=$(cd "$1" && pwd)
# No dot in the path: the plot file's name is cut at the path's first dot.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tervane-install-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr/local >/dev/null
installed="$scratch/root/usr/local/bin/tervane"
share="$scratch/root/usr/local/share/tervane"
test -x "$installed"
test -f "$share/55.zk"
test -f "$share/examples/small-six.D3D"

render() {  # program, folder: draws small-six.D3D there with --hpgl
  mkdir -p "$2/work"
  cp "$share/examples/small-six.D3D" "$2/"
  (cd "$2/work" && "$1" render ../small-six.D3D --seed 1 --hpgl --png out.png >/dev/null)
  test -s "$2/work/out.png"
  test -s "$2/small-six.PLT"
}

render "$installed" "$scratch/installed"
render "$build/tervane" "$scratch/buildtree"
cmp "$scratch/installed/small-six.PLT" "$scratch/buildtree/small-six.PLT"

mkdir -p "$scratch/lone/bin"
cp "$installed" "$scratch/lone/bin/"
if (render "$scratch/lone/bin/tervane" "$scratch/lone" 2>/dev/null) &&
   cmp -s "$scratch/lone/small-six.PLT" "$scratch/installed/small-six.PLT"; then
  echo "a program with no glyph files recorded the same plot file: the check proves nothing" >&2
  exit 1
fi
echo "installed program found its glyph files in share/tervane"
