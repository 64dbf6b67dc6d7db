#!/bin/sh
# Starts Hexwend in the player's own folder, ${XDG_DATA_HOME:-$HOME/.local/share}/hexwend: the
# game keeps its record (".vorpixstate") in the folder it runs in, so it lands there whatever
# folder the game was started from. The game itself lives in ../lib/hexwend beside its data.
# Arguments and the exit status are the game's.
set -u

self=$(readlink -f -- "$0")
game=${self%/*}/../lib/hexwend/hexwend

# XDG_DATA_HOME counts only when it is an absolute path.
case "${XDG_DATA_HOME:-}" in
    /*) data_home=$XDG_DATA_HOME ;;
    *)
        if [ -z "${HOME:-}" ]; then
            echo "hexwend: neither XDG_DATA_HOME nor HOME is set; no folder to keep the record in" >&2
            exit 1
        fi
        data_home=$HOME/.local/share
        ;;
esac
folder=$data_home/hexwend

if ! { [ -d "$folder" ] || mkdir -p -- "$folder"; } || ! cd -- "$folder"; then
    echo "hexwend: cannot use $folder for the game's record" >&2
    exit 1
fi
exec "$game" "$@"
