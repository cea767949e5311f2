#!/usr/bin/env bash
# The folders below the windows never reach up: every include of
# "folder/..." in a source folder names that folder or one below it, in
# the order the README states on its "Layers" line.
set -u
root="${SLIDEWRIGHT_SOURCE_DIR:-$(cd "$(dirname "$0")/.." && pwd)}"
line=$(grep -m1 '^Layers, bottom to top:' "$root/README.md") || {
    echo "FAIL: the README states no layer order"; exit 1; }
read -r -a layers <<<"$(echo "${line#*:}" | tr -d '`.' | sed 's/→/ /g')"
rank() {
    local i
    for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
    echo -1
}
wrong=0
for folder in "${layers[@]}"; do
    own=$(rank "$folder")
    while IFS=: read -r file target; do
        other=$(rank "$target")
        if [ "$other" -gt "$own" ] || [ "$other" -lt 0 ]; then
            echo "FAIL: $file includes $target/, which is not below $folder"
            wrong=1
        fi
    done < <(cd "$root" && grep -rHoE '^#include "[a-z_]+/' "$folder" --include='*.cpp' --include='*.h' |
        sed -E 's/:#include "([a-z_]+)\/$/:\1/')
done
[ "$wrong" -eq 0 ] && echo "layers hold: ${layers[*]}"
exit "$wrong"
