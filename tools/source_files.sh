#!/bin/sh
# SPDX-License-Identifier: MIT
# Lists the project's files, one a line, from its top: in a git checkout the files git tracks or
# would track (tracked and new, none that .gitignore names), elsewhere (an unpacked release) every
# file but those .gitignore names. make dist packs them, make mutants copies them, the layers test
# reads them.
set -eu
cd "$(dirname "$0")/.."
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
    git -c core.quotepath=off ls-files -co --exclude-standard | while IFS= read -r file; do
        [ -e "$file" ] && printf '%s\n' "$file"  # a tracked file deleted from the work tree is not there
    done | LC_ALL=C sort
else
    # .gitignore's patterns as find's: "/name/" at the top, "name/" anywhere.
    set --
    while IFS= read -r pattern; do
        case "$pattern" in '' | '#'*) continue ;; esac
        pattern=${pattern%/}
        case "$pattern" in
            /*) set -- "$@" -path ".$pattern" -prune -o ;;
            *) set -- "$@" -name "$pattern" -prune -o ;;
        esac
    done <.gitignore
    find . -path ./.git -prune -o "$@" \( -type f -o -type l \) -print | sed 's|^\./||' | LC_ALL=C sort
fi
