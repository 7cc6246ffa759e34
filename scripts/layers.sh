#!/usr/bin/env bash
# The library's layers include only downwards: os < core < port < serial, net, usb, extlib < api.
# Prints every include that reaches a higher layer, a neighbour on the same level, or the public header
# (ptl/ptl.h) from below api, and exits 1 if there is one.
root=$(cd "$(dirname "$0")/.." && pwd)
level() {
    case "$1" in
    os) echo 0 ;; core) echo 1 ;; port) echo 2 ;; serial | net | usb | extlib) echo 3 ;; api) echo 4 ;;
    ptl) echo 4 ;; *) echo -1 ;;
    esac
}
bad=0
while IFS=: read -r file _ include; do
    from=$(echo "$file" | cut -d/ -f2)
    to=$(echo "$include" | sed -n 's/.*#include "\([a-z]*\)\/.*/\1/p')
    [ -z "$to" ] || [ "$from" = "$to" ] && continue
    [ "$to" = ptl ] && [ "$from" = api ] && continue # the public header
    lf=$(level "$from") lt=$(level "$to")
    if [ "$lt" -lt 0 ] || [ "$lt" -ge "$lf" ]; then
        echo "layers: $file includes $to/ ($include)"
        bad=1
    fi
done < <(cd "$root" && grep -rn '#include "' ptl --include='*.cpp' --include='*.h')
[ "$bad" = 0 ] && echo "layers: every include in ptl/ reaches only a lower layer"
exit "$bad"
