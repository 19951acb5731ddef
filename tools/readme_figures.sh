#!/bin/bash
# SPDX-License-Identifier: MIT
# The README's generated figures, computed from the tree and held against what the README says:
#   format  clang-format's verdict on every .cpp and .h file ("gives N diagnostics in N of the N
#           `.cpp` and `.h` files", under Editors); make check runs it
#   site    the Hosting table's bytes of each file of the site (plain, `.gz`, `.br` where the
#           compressed copies are beside it, else plain) and the totals under the table ("in all N
#           KB plain, N KB with gzip and N KB with brotli", KiB, a file without copies counted plain
#           in each); the test readme_figures runs it on the site make web builds
# Names each figure the README has wrong and fails; with --write puts the tree's figures into the
# README instead. A name in the table with <digest> in it stands for the one file of the site that it
# matches with anything in the digest's place (zelmo.<digest>.js: zelmo.1f2e3d.js).
#
# Usage: readme_figures.sh [--write] format
#        readme_figures.sh [--write] site SITE_DIR
set -u
write=no
[ "${1:-}" = --write ] && { write=yes; shift; }
what=${1:-}
top=$(cd "$(dirname "$0")/.." && pwd)
readme=$top/README.md
new=$(mktemp)
trap 'rm -f "$new"' EXIT
wrong=0
exec 3>&1  # what differs, also from inside the loop that writes the new README
differs() {  # differs WHAT README'S COMPUTED
    [ "$2" = "$3" ] && return
    echo "README.md: $1: says \"$2\", the tree gives \"$3\"" >&3
    wrong=$((wrong + 1))
}
commas() {  # 1234567 -> 1,234,567
    local n=$1 out=""
    while [ ${#n} -gt 3 ]; do out=",${n: -3}$out" n=${n:0:${#n}-3}; done
    echo "$n$out"
}
kib() { echo $((($1 + 512) / 1024)); }

format_figures() {
    local files report diagnostics unformatted said wanted
    mapfile -t files < <(sh "$top/tools/source_files.sh" | grep -E '\.(cpp|h)$')
    report=$(cd "$top" && clang-format --dry-run "${files[@]}" 2>&1) || { echo "clang-format: $report" | head -n 5; exit 1; }
    diagnostics=$(grep -c ': warning: code should be clang-formatted' <<<"$report")
    unformatted=$(sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning: code should be clang-formatted.*/\1/p' <<<"$report" | sort -u | grep -c .)
    wanted="gives $diagnostics diagnostics in $unformatted of the ${#files[@]} \`.cpp\` and \`.h\` files"
    said=$(grep -o 'gives [0-9,]* diagnostics in [0-9,]* of the [0-9,]* `.cpp` and `.h` files' "$readme")
    [ -n "$said" ] || { echo "README.md: no clang-format figure (\"$wanted\")"; exit 1; }
    differs "clang-format" "$said" "$wanted"
    summary="clang-format $wanted"
    sed "s/gives [0-9,]* diagnostics in [0-9,]* of the [0-9,]* \`.cpp\` and \`.h\` files/$wanted/" "$readme" >"$new"
}

site_figures() {
    local site=$1 section="" line names name matches file cell said rows=0 plain=0 gzip=0 brotli=0 size totals
    [ -d "$site" ] || { echo "no site in $site: run make web first"; exit 1; }
    shopt -s nullglob
    while IFS= read -r line; do
        case "$line" in "## "*) section=$line ;; esac
        if [ "$section" != "## Hosting" ] || [[ ! $line =~ ^\|\ \`.*\|\ ([0-9][0-9,]*(;\ [0-9][0-9,]*)*)\ \|$ ]]; then
            printf '%s\n' "$line"
            continue
        fi
        said=${BASH_REMATCH[1]}
        names=${line#| }
        names=${names%% |*}
        cell=""
        for name in $(grep -o '`[^`]*`' <<<"$names" | tr -d '`'); do
            matches=("$site"/${name//<digest>/*})
            [ ${#matches[@]} -eq 1 ] || { echo "README.md: $name: ${#matches[@]} files in $site match it" >&3; exit 1; }
            file=${matches[0]}
            size=$(stat -c %s "$file")
            plain=$((plain + size))
            cell="$cell; $(commas "$size")"
            if [ -e "$file.gz" ]; then
                gzip=$((gzip + $(stat -c %s "$file.gz")))
                brotli=$((brotli + $(stat -c %s "$file.br")))
                cell="$cell; $(commas "$(stat -c %s "$file.gz")"); $(commas "$(stat -c %s "$file.br")")"
            else
                gzip=$((gzip + size))
                brotli=$((brotli + size))
            fi
        done
        cell=${cell#; }
        differs "the Hosting table's $names" "$said" "$cell"
        printf '%s\n' "${line%"$said |"}$cell |"
        rows=$((rows + 1))
    done <"$readme" >"$new"
    [ $rows -gt 0 ] || { echo "README.md: no sizes in the Hosting table"; exit 1; }
    totals="in all $(commas "$(kib $plain)") KB plain, $(commas "$(kib $gzip)") KB with gzip and $(commas "$(kib $brotli)") KB with brotli"
    said=$(grep -o 'in all [0-9,]* KB plain, [0-9,]* KB with gzip and [0-9,]* KB with brotli' "$readme")
    [ -n "$said" ] || { echo "README.md: no totals under the Hosting table (\"$totals\")"; exit 1; }
    differs "the site's totals" "$said" "$totals"
    summary="the site's $rows rows of sizes, $totals"
    sed -i "s/in all [0-9,]* KB plain, [0-9,]* KB with gzip and [0-9,]* KB with brotli/$totals/" "$new"
}

case "$what" in
    format) format_figures ;;
    site) site_figures "${2:?usage: readme_figures.sh [--write] site SITE_DIR}" ;;
    *) echo "usage: readme_figures.sh [--write] format | site SITE_DIR" >&2; exit 2 ;;
esac
if [ $write = yes ]; then
    cmp -s "$new" "$readme" || cat "$new" >"$readme"
    echo "README.md now says: $summary"
elif [ $wrong -gt 0 ]; then
    echo "README.md: $wrong $what figure(s) differ from the tree's: run tools/readme_figures.sh --write $*"
    exit 1
else
    echo "as README.md says: $summary"
fi
