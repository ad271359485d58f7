#!/usr/bin/env bash
# Sets up, builds and starts the program under Wine. A file or folder argument is passed through
# (Linux paths are handed over as Wine's Z: paths).
#   scripts/run.sh [file-or-folder]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
build="$ORVO_ROOT/build/x86_64"
orvo_build x86_64 "$build"
export WINEPREFIX="$ORVO_ROOT/build/run-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$ORVO_ROOT/cmake/wine-prefix.sh" "$WINEPREFIX"
args=()
if [ $# -gt 0 ]; then
    path=$1
    [ -e "$path" ] && path=$(readlink -f "$path")
    case "$path" in /*) path="Z:${path//\//\\}" ;; esac
    args=("$path")
fi
exec /usr/lib/wine/wine64 "$build/bin/OrvoKestal.exe" "${args[@]}"
