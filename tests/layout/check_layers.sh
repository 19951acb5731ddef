#!/bin/bash
# SPDX-License-Identifier: MIT
# Fails on any break of the layering: an include of a higher layer's header, a library that links a
# higher layer, a system header of the platform's outside platform/, GL reached other than through
# platform/gl.h, a link group (which only a dependency loop needs), a test that reaches past its
# kind, a source file without its licence tag, an executable file that is no program, or code not
# formatted as .clang-format says.
#
# Usage: check_layers.sh [SOURCE_DIR]
set -u
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root" || exit 2
layers=(platform support assets draw shell sequencer app game)
rank() {
    local i
    for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
    echo -1
}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
sources() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) | sort; }

# Includes point down (or across, within the layer).
for layer in "${layers[@]}"; do
    own=$(rank "$layer")
    for file in $(sources "$layer"); do
        while IFS= read -r used; do
            [ "$(rank "$used")" -le "$own" ] || fail "$file includes a header of $used, a higher layer than $layer"
        done < <(sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z_]*\)/.*|\1|p' "$file" | grep -Fxf <(printf '%s\n' "${layers[@]}"))
    done
done

# Libraries link down.
for layer in "${layers[@]}"; do
    own=$(rank "$layer")
    deps=$(tr '\n' ' ' <"$layer/CMakeLists.txt" | grep -o "target_link_libraries($layer [^)]*)" | tr -s ' ()' '\n')
    for dep in $deps; do
        r=$(rank "$dep")
        [ "$r" -lt 0 ] || [ "$r" -le "$own" ] || fail "the $layer library links $dep, a higher layer"
        [ "$dep" = "$layer" ] || [ "$r" -ne "$own" ] || fail "the $layer library links itself"
    done
done

# The system's own headers stay behind the platform's door; GL has one door of its own.
for file in $(sources support assets draw shell sequencer app game tools); do
    grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](SDL|ft2build|freetype/|fontconfig/|EGL/|emscripten)' "$file" &&
        fail "$file includes a system header that only platform/ may include"
done
for file in $(sources support assets draw shell sequencer app game tools tests bench platform); do
    case "$file" in platform/gl.h | platform/web/gl_layer.h | platform/web/gl_layer_parts.h) continue ;; esac
    grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<GL/' "$file" && fail "$file includes GL directly, not platform/gl.h"
done
# Tests keep to the layers as well. The framework's test code (tests/support but its game part,
# game_*, and the files of the framework_tests program) includes nothing of the game and links no
# game library, so the framework's tests build without the game; only the backend's own tests reach
# the backend's system; the programs that drive the real binary from outside (tests/e2e) include no layer.
link_list() { tr '\n' ' ' <"$1" | grep -o "target_link_libraries($2 [^)]*)" | tr -s ' ()' '\n' | tail -n +2; }
including() { local pattern=$1; shift; [ $# -eq 0 ] || grep -lE "^[[:space:]]*#[[:space:]]*include[[:space:]]*$pattern" "$@"; }
framework_tests=$(tr '\n' ' ' <tests/unit/CMakeLists.txt | grep -o 'add_executable(framework_tests [^)]*)' |
                  tr -s ' ()' '\n' | grep -E '^test_[a-z_]*\.cpp$' | sed 's|^|tests/unit/|')
[ -n "$framework_tests" ] || fail "tests/unit/CMakeLists.txt: no framework_tests program found"
while read -r file; do fail "$file is framework test code but includes a header of the game"; done < \
    <(including '"(game/|game_)' $(sources tests/support | grep -v '/game_') $framework_tests)
for dep in $(link_list tests/support/CMakeLists.txt test_support) $(link_list tests/unit/CMakeLists.txt framework_tests); do
    case "$dep" in game | game_test_support) fail "the framework's test support or tests link $dep" ;; esac
done
backend_tests="tests/unit/test_sdl_events.cpp tests/unit/test_glyph_rasteriser.cpp tests/unit/test_gl_layer.cpp"
while read -r file; do
    case " $backend_tests " in *" $file "*) continue ;; esac
    fail "$file includes a system header that only platform/ and the backend's tests may include"
done < <(including '[<"](SDL|ft2build|freetype/|fontconfig/|EGL/|emscripten)' $(sources tests))
while read -r file; do fail "$file drives the binary from outside but includes a layer's header"; done < \
    <(including '"('"$(IFS='|'; echo "${layers[*]}")"')/' $(sources tests/e2e))
# Every source file states its licence in its first lines (the SPDX tag; LICENSE has the text); the
# files of others (third_party/) keep theirs, which .reuse/dep5 states.
licence_tag=SPDX-License-"Identifier"  # split, so that licence scanners do not take this line for a tag
for file in $(sh tools/source_files.sh | grep -E '\.(cpp|h|js|sh|py|html)$|(^|/)CMakeLists.txt$|^Makefile$|^\.ci/run$' | grep -v '^third_party/'); do
    [ -f "$file" ] || continue
    head -n 3 "$file" | grep -q "$licence_tag: MIT" || fail "$file has no $licence_tag line at its head"
done
# Only programs may be run: a file with the executable bit starts with its interpreter's #! line.
for file in $(sh tools/source_files.sh); do
    [ -x "$file" ] && [ ! -L "$file" ] && ! head -c 2 "$file" | grep -q '#!' && fail "$file is executable but no program"
done
# The code is laid out as .clang-format says (clang-format 14, Debian 12's).
for file in $(sources support assets draw shell sequencer app game tools tests bench platform); do
    clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || fail "$file is not formatted as .clang-format says"
done
grep -rlI 'LINK_GROUP' --include=CMakeLists.txt . 2>/dev/null | grep -v '^./build' | while read -r f; do echo "FAIL: $f uses a link group"; done | grep . && failures=$((failures + 1))

if [ "$failures" -gt 0 ]; then
    echo "$failures layering faults"
    exit 1
fi
echo "layers: ${layers[*]} (each uses only those before it)"
