#!/usr/bin/env bash
# Keeps the include lines of src/ and tools/ to the layer order: a folder includes only its own
# headers and those of the folders it is built on, and a project header is always written with
# its folder ("model/RelaySettings.h"), as the include path starts at src/ (and tools/).
# Prints file:line and the include for every line that breaks this, and fails if there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# The layers, bottom first, each with the folders it is built on directly; a folder may include
# a layer only from the lines above its own, and what those are built on comes with them. Layers
# on the same level that do not name each other (ini, log and serial; shell and cli) stay apart.
# This is the one place the order is written; the libraries' CMakeLists.txt link the same way.
layers='
ini
log
serial
model      ini log
transport  serial log
protocol   transport model
control    protocol
backup     model
widgets    model log
pages      widgets
report     widgets model
shell      pages control report backup
cli        control backup
emulator   model transport
screenshots shell emulator
'
# Where each layer's folder is; the others are src/<layer>.
declare -A folder=([emulator]=tools/emulator [screenshots]=tools/screenshots)

declare -A allowed # layer -> " layer below1 below2 ... "
order=()
while read -r layer below; do
    [ -n "$layer" ] || continue
    set="$layer"
    for b in $below; do
        if [ -z "${allowed[$b]:-}" ]; then
            echo "check-includes.sh: $layer is built on $b, which is not a layer above it in the table" >&2
            exit 2
        fi
        set+="${allowed[$b]}"
    done
    allowed[$layer]=" $(tr ' ' '\n' <<<"$set" | sed '/^$/d' | sort -u | tr '\n' ' ')"
    order+=("$layer")
    : "${folder[$layer]:=src/$layer}"
done <<<"$layers"

# Every project header by its bare name, to catch an include written without its folder.
declare -A home # header name -> folder(s) it lives in
for layer in "${order[@]}"; do
    dir=${folder[$layer]}
    [ -d "$dir" ] || continue
    for h in "$dir"/*.h; do
        [ -e "$h" ] || continue
        home[$(basename "$h")]+="$dir "
    done
done

bad=0
report() {
    echo "$1: $2" >&2
    bad=$((bad + 1))
}
# A new folder of src/ needs its line in the table first.
for dir in src/*/; do
    dir=${dir%/}
    [ -n "${allowed[${dir#src/}]:-}" ] || report "$dir" "a folder that is no layer of the table"
done
for layer in "${order[@]}"; do
    dir=${folder[$layer]}
    [ -d "$dir" ] || continue
    # file:line:text of every quoted include; a missing match is not an error.
    while IFS= read -r hit; do
        file=${hit%%:*}
        rest=${hit#*:}
        line=${rest%%:*}
        text=${rest#*:}
        [[ $text =~ include[[:space:]]*\"([^\"]+)\" ]] || continue
        name=${BASH_REMATCH[1]}
        if [[ $name == */* ]]; then
            top=${name%%/*}
            if [ -n "${folder[$top]:-}" ]; then
                if [[ ${allowed[$layer]} != *" $top "* ]]; then
                    report "$file:$line" "$layer may not include $top: $text"
                elif [ ! -f "${folder[$top]}/${name#*/}" ]; then
                    report "$file:$line" "no such project header: $text"
                fi
            fi
        else
            # A bare name finds a header of the file's own folder; any other project header
            # must be written with its folder.
            if [ ! -f "${file%/*}/$name" ] && [ -n "${home[$name]:-}" ]; then
                report "$file:$line" "write the folder (${home[$name]% }): $text"
            fi
        fi
    done < <(grep -rnE --include='*.h' --include='*.cpp' \
        '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$dir" || true)
done

if [ "$bad" -gt 0 ]; then
    echo "check-includes.sh: $bad include line(s) break the layer order" >&2
    exit 1
fi
echo "=== includes keep to the layer order"
