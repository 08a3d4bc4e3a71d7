#!/usr/bin/env bash
# The engine's folders depend one way: each includes only itself and the
# folders before it here. Names every include that points the other way, and
# every folder missing from the order.
#   tests/engine/folder_order.sh ENGINE_DIR
set -euo pipefail
engine=${1:?usage: folder_order.sh ENGINE_DIR}
order=(foundation stage media sprites)
status=0
for dir in "$engine"/*/; do
  name=$(basename "$dir")
  if [[ " ${order[*]} " != *" $name "* ]]; then
    echo "engine/$name is not in the folder order of $0 (and HACKING.md)"
    status=1
  fi
done
for ((i = 0; i < ${#order[@]}; ++i)); do
  for later in "${order[@]:i+1}"; do
    if grep -rn --include='*.h' --include='*.cpp' "#include \"$later/" "$engine/${order[i]}"; then
      echo "engine/${order[i]} must not include engine/$later"
      status=1
    fi
  done
done
exit $status
