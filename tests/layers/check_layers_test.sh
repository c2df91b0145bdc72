#!/usr/bin/env bash
# scripts/check-layers on a small tree: it passes a downward include and fails
# an upward one, one between folders of a floor, and a folder without a floor.
set -euo pipefail
check=$1/scripts/check-layers
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/docs" "$root/low" "$root/mid" "$root/side" "$root/high/sub"
cat >"$root/docs/hacking.md" <<'MD'
## Floors

| floor | folders | what | may include |
|---|---|---|---|
| 0 | `low/` | bottom | nothing |
| 1 | `mid/`, `side/` | middle | floor 0 |
| 2 | `high/` | top | floors 0-1 |

## Next
MD
echo '#include "low/A.h"' >"$root/mid/B.h"
echo '#include "Own.h"' >"$root/side/C.cpp"
echo '' >"$root/side/Own.h"
printf '#include "mid/B.h"\n#include "high/sub/D.h"\n' >"$root/high/E.cpp"
echo '' >"$root/high/sub/D.h"
echo '' >"$root/low/A.h"

expect() {  # expect pass|fail WHAT
  local rc=0
  "$check" "$root" 2>/dev/null || rc=$?
  if { [ "$1" = pass ] && [ $rc -ne 0 ]; } || { [ "$1" = fail ] && [ $rc -eq 0 ]; }; then
    echo "check-layers should $1: $2" >&2
    exit 1
  fi
}
expect pass "downward includes, a subfolder of its own folder, a name beside the source"
echo '#include "mid/B.h"' >"$root/low/Up.h"
expect fail "an upward include"
rm "$root/low/Up.h"
echo '#include "side/Own.h"' >"$root/mid/F.cpp"
expect fail "an include between two folders of one floor"
rm "$root/mid/F.cpp"
mkdir "$root/new" && echo '' >"$root/new/G.h"
expect fail "a folder the table leaves out"
rm -r "$root/new"
expect pass "the tree restored"
"$check" "$1"
