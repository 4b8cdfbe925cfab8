#!/usr/bin/env bash
# Every Russian (user-visible) string literal is written once in the .cpp and
# .h files of its room (a folder of src/, and sim/): a label that several
# places show comes from one constant or one table of the room or of a room
# below it. Comments are not looked at; adjacent literals count as the one
# literal the compiler makes of them.
#   check_texts.sh SOURCE_DIR
set -euo pipefail
src=$1

# Repetitions that are two different things reading the same:
# "room<TAB>text" (the literal as the source spells it) and the reason.
declare -A allowed=(
    [$'text\tотсутствует']="a parity's name in the listing; a JSON member the import misses"
)

failures=0
fail()
{
    echo "$*" >&2
    failures=$((failures + 1))
}

# The string literals with a Cyrillic letter in FILES..., one a line:
# "text<TAB>file:line", the text as the source spells it (escapes kept).
literals()
{
    perl -CSD -e '
        use strict;
        use warnings;
        for my $file (@ARGV) {
            open(my $in, "<:encoding(UTF-8)", $file) or die "$file: $!\n";
            my $s = do { local $/; <$in> };
            close $in;
            my ($line, $joins, @found) = (1, 0);
            pos($s) = 0;
            while (pos($s) < length $s) {
                if ($s =~ /\G\/\/[^\n]*/gc) { next }
                if ($s =~ /\G\/\*(.*?)\*\//gcs || $s =~ /\G(\s+)/gc) {
                    $line += ($1 =~ tr/\n//);
                    next;
                }
                my ($text, $at) = (undef, $line);
                if ($s =~ /\G(?:u8|[uUL])?R"([^(\s]*)\((.*?)\)\1"/gcs) {
                    $text = $2;
                    $line += ($text =~ tr/\n//);
                } elsif ($s =~ /\G(?:u8|[uUL])?"((?:[^"\\\n]|\\.)*)"/gc) {
                    $text = $1;
                } else {
                    $s =~ /\G(?:\x27(?:[^\x27\\\n]|\\.)*\x27|[A-Za-z_0-9]+|.)/gcs;
                    $joins = 0;
                    next;
                }
                if ($joins) { $found[-1][0] .= $text } else { push @found, [$text, $at] }
                $joins = 1;
            }
            for (@found) {
                print "$_->[0]\t$file:$_->[1]\n" if $_->[0] =~ /[\x{0400}-\x{04FF}]/;
            }
        }' "$@"
}

rooms=()
for folder in "$src"/src/*/; do
    room=$(basename "$folder")
    rooms+=("$room")
done
rooms+=(sim)

declare -A repeated=()
for room in "${rooms[@]}"; do
    dir=src/$room
    [ "$room" = sim ] && dir=sim
    mapfile -d '' files < <(cd "$src" && find "$dir" -type f \( -name '*.cpp' -o -name '*.h' \) \
        -print0 | sort -z)
    [ "${#files[@]}" -gt 0 ] || continue
    while IFS=$'\t' read -r text places; do
        key="$room"$'\t'"$text"
        repeated[$key]=1
        [[ -v allowed[$key] ]] && continue
        fail "$room: \"$text\" is written $(wc -w <<<"$places") times: $places"
    done < <(cd "$src" && literals "${files[@]}" | sort -t $'\t' -k1,1 -k2,2V |
             awk -F '\t' '{ n[$1]++; at[$1] = at[$1] " " $2 }
                          END { for (t in n) if (n[t] > 1) print t "\t" substr(at[t], 2) }' |
             sort)
done

# An allowance that nothing uses any more goes.
for key in "${!allowed[@]}"; do
    [[ -v repeated[$key] ]] ||
        fail "${key%%$'\t'*}: \"${key#*$'\t'}\" is allowed in $0 but not repeated"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures fault(s): a repeated label gets one constant in its room's texts header" >&2
    exit 1
fi
echo "texts: every Russian literal is written once in its room"
