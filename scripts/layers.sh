#!/usr/bin/env bash
# The library's layers include only downwards: os < core < proto < port < serial < the other port kinds
# (net, usb, monitor, xfs, extlib; the printer-class USB port is a parallel port) < api. The public header
# (ptl/ptl.h) is a leaf that any layer may read for the build's configuration constants. Prints every include that reaches a higher layer or a neighbour on the
# same level, and exits 1 if there is one.
root=$(cd "$(dirname "$0")/.." && pwd)
level() {
    case "$1" in
    os) echo 0 ;; core) echo 1 ;; proto) echo 2 ;; port) echo 3 ;;
    serial) echo 4 ;; net | usb | monitor | xfs | extlib) echo 5 ;; api) echo 6 ;; *) echo -1 ;;
    esac
}
bad=0
while IFS=: read -r file _ include; do
    from=$(echo "$file" | cut -d/ -f2)
    to=$(echo "$include" | sed -n 's/.*#include "\([a-z]*\)\/.*/\1/p')
    [ -z "$to" ] || [ "$from" = "$to" ] && continue
    [ "$to" = ptl ] && continue # the public header
    lf=$(level "$from") lt=$(level "$to")
    if [ "$lt" -lt 0 ] || [ "$lt" -ge "$lf" ]; then
        echo "layers: $file includes $to/ ($include)"
        bad=1
    fi
done < <(cd "$root" && grep -rn '#include "' ptl --include='*.cpp' --include='*.h')
[ "$bad" = 0 ] && echo "layers: every include in ptl/ reaches only a lower layer"
exit "$bad"
