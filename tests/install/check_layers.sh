#!/usr/bin/env bash
# The rooms of the source tree (one folder of src/, one library each) and the
# rooms each may include: every `#include "room/..."` of src/ and sim/ must
# name the file's own room or one listed for it here, the rooms must include
# each other in no loop, and the table must be the one the libraries link
# (src/CMakeLists.txt, sim/CMakeLists.txt).
#   check_layers.sh SOURCE_DIR
set -euo pipefail
src=$1

# The rooms each room may include, besides itself. sim is the simulated
# panel's library, panel-sim the program orlix-panel-sim (sim/main.cpp).
declare -A may_include=(
    [model]=""
    [names]=""
    [files]="model names"
    [link]="model names"
    [text]="model names files link"
    [report]="model text"
    [site]="model names link text"
    [cli]="model names files link text report site"
    [widgets]="model"
    [pages]="model text widgets"
    [app]="model names files link text report pages widgets"
    [sim]="model link"
    [panel-sim]="model names files link sim"
)

failures=0
fail()
{
    echo "$*" >&2
    failures=$((failures + 1))
}

# The room a source file belongs to, in `room`.
room_of()
{
    case $1 in
        sim/main.cpp) room=panel-sim ;;
        sim/*) room=sim ;;
        *) room=${1#src/} && room=${room%%/*} ;;
    esac
}

sorted()
{
    tr ' ' '\n' <<<"$*" | sed '/^$/d' | sort | tr '\n' ' ' | sed 's/ $//'
}

# Every folder of src/ is a room of the table.
for folder in "$src"/src/*/; do
    room=$(basename "$folder")
    [[ -v may_include[$room] ]] || fail "src/$room/: a folder that is no room of the table in $0"
done

# The table is what the libraries link.
cmake_call()  # FILE START: the call that begins with START, on one line
{
    tr '\n' ' ' <"$1" | grep -o "$2[^)]*" | head -n 1
}
for room in "${!may_include[@]}"; do
    case $room in
        sim)
            call=$(cmake_call "$src/sim/CMakeLists.txt" 'target_link_libraries(orlix_sim ')
            linked=$(grep -o 'orlix_[a-z]*' <<<"${call#*orlix_sim }" || true) ;;
        panel-sim)
            call=$(cmake_call "$src/sim/CMakeLists.txt" 'target_link_libraries(orlix-panel-sim ')
            linked=$(grep -o 'orlix_[a-z]*' <<<"$call" || true) ;;
        *)
            [ -d "$src/src/$room" ] || fail "$room: a room of the table without a folder src/$room/"
            call=$(cmake_call "$src/src/CMakeLists.txt" "orlix_room(${room}[ )]")
            if [ -z "$call" ]; then
                fail "$room: no orlix_room($room ...) in src/CMakeLists.txt"
                continue
            fi
            linked=$(sed -n 's/.* ROOMS \(.*\)/\1/p' <<<"${call%% QT *}") ;;
    esac
    linked=$(sorted "${linked//orlix_/}")
    wanted=$(sorted "${may_include[$room]}")
    [ "$linked" = "$wanted" ] ||
        fail "$room: the build links [$linked], the table of $0 says [$wanted]"
done

# Every include names an allowed room; the edges between rooms are kept
# with the first include that made each.
declare -A edge_at=()
while IFS=: read -r file line target; do
    room_of "$file"
    [[ -v may_include[$room] ]] || continue  # a folder outside the table, named above
    to=${target%%/*}
    [ "$to" = "$room" ] && continue
    if [[ ! -v may_include[$to] ]]; then
        fail "$file:$line: includes $target from $to/, which is no room"
    elif [[ " ${may_include[$room]} " != *" $to "* ]]; then
        fail "$file:$line: $room may not include $to ($target); $room may include:" \
            "${may_include[$room]:-nothing but itself}"
    fi
    [[ -v edge_at["$room $to"] ]] || edge_at["$room $to"]="$file:$line"
done < <(cd "$src" &&
         find src sim -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
         xargs -0 grep -n -H -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' |
         sed -E 's/^([^:]*):([0-9]+):[^"]*"([^"]*)".*/\1:\2:\3/')

# A loop: rooms that keep an edge to each other once every room that leads
# nowhere (or only to rooms already taken away) is taken away.
find_loop()  # EDGES...: "from to" pairs; prints one loop, or nothing
{
    declare -A out=()
    local e from to left changed
    for e in "$@"; do
        out[${e% *}]+=" ${e#* }"
        [[ -v out[${e#* }] ]] || out[${e#* }]=""
    done
    left=" ${!out[*]} "
    changed=1
    while [ "$changed" = 1 ]; do
        changed=0
        for from in $left; do
            local stays=0
            for to in ${out[$from]}; do
                [[ "$left" == *" $to "* ]] && stays=1
            done
            if [ "$stays" = 0 ]; then
                left=${left/ $from / }
                changed=1
            fi
        done
    done
    [ -n "${left// /}" ] || return 0
    local path=() at
    at=$(awk '{print $1}' <<<"$left")
    while [[ " ${path[*]} " != *" $at "* ]]; do
        path+=("$at")
        for to in ${out[$at]}; do
            if [[ "$left" == *" $to "* ]]; then
                at=$to
                break
            fi
        done
    done
    local cycle=() seen=0
    for from in "${path[@]}"; do
        [ "$from" = "$at" ] && seen=1
        [ "$seen" = 1 ] && cycle+=("$from")
    done
    cycle+=("$at")
    echo "${cycle[*]}"
}

loop=$(find_loop "${!edge_at[@]}")
if [ -n "$loop" ]; then
    read -r -a rooms <<<"$loop"
    fail "an include loop between rooms: ${loop// / -> }"
    for ((i = 0; i + 1 < ${#rooms[@]}; i++)); do
        echo "  ${edge_at["${rooms[i]} ${rooms[i + 1]}"]}: ${rooms[i]} includes ${rooms[i + 1]}" >&2
    done
fi

table_edges=()
for room in "${!may_include[@]}"; do
    for to in ${may_include[$room]}; do
        table_edges+=("$room $to")
    done
done
loop=$(find_loop "${table_edges[@]}")
[ -z "$loop" ] || fail "a loop in the table of $0: ${loop// / -> }"

if [ "$failures" -gt 0 ]; then
    echo "$failures layering fault(s)" >&2
    exit 1
fi
echo "rooms: every include points downwards"
