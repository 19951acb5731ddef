#!/bin/bash
# SPDX-License-Identifier: MIT
# Planted faults: applies each entry of a catalogue alone to a scratch copy of the sources, rebuilds
# the unit suites incrementally, runs them, and reports whether they caught the fault (killed) or not
# (survived), then the kill rate. Without a catalogue it runs both: tests/mutants.txt (the team's own)
# and tests/mutants_added.txt (faults written without reading the tests), and reports the kill rate
# of each apart and of both together.
#
# Usage: tools/mutants.sh [CATALOGUE] [FIRST-LINE-FILTER]
#        tools/mutants.sh --check [CATALOGUE]   only checks that every entry still applies (make test);
#                                               without a catalogue, both
#   MUTANTS_DIR       scratch folder (default build-mutants)
#   MUTANTS_SANITIZE  1: the suites as the sanitizer build of make test runs them (ASan+UBSan), which
#                     also sees a read or write one byte outside a buffer
# An entry is one line: path @@ original text @@ replacement text [@@ equivalent: why]. The original
# text must occur exactly once in the file; <NL> in either text stands for a line break. Lines
# starting with # are comments.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEFAULT_CATALOGUES=("$ROOT/tests/mutants.txt" "$ROOT/tests/mutants_added.txt")
# Every entry names a file whose text holds the original exactly once: moved code re-points its
# entries instead of dropping them silently.
check_catalogue() {
    perl -e '
        my $bad = 0; my $n = 0;
        open(my $cat, "<", $ARGV[0]) or die "no catalogue $ARGV[0]\n";
        while (my $line = <$cat>) {
            chomp $line;
            next if $line =~ /^(#|\s*$)/;
            my ($path, $from) = split / \@\@ /, $line, -1;
            $from =~ s/<NL>/\n/g; $n++;
            my ($f, $text);
            $text = do { local $/; <$f> } if open($f, "<", "$ARGV[1]/$path");
            my $count = -1;
            $count = () = $text =~ /\Q$from\E/g if defined $text;
            if ($count != 1) { print "STALE ($count matches): $line\n"; $bad++ }
        }
        print "$n entries, $bad stale\n";
        exit($bad ? 1 : 0);' "$(realpath "$1")" "$ROOT"
}
if [ "${1:-}" = --check ]; then
    if [ -n "${2:-}" ]; then check_catalogue "$2"; exit $?; fi
    status=0
    for catalogue in "${DEFAULT_CATALOGUES[@]}"; do
        printf '%s: ' "${catalogue#$ROOT/}"
        check_catalogue "$catalogue" || status=1
    done
    exit $status
fi
if [ -n "${1:-}" ]; then CATALOGUES=("$(realpath "$1")"); else CATALOGUES=("${DEFAULT_CATALOGUES[@]}"); fi
ONLY=${2:-}
SCRATCH=${MUTANTS_DIR:-$ROOT/build-mutants}
SRC=$SCRATCH/src
BUILD=$SCRATCH/build
REPORT=$SCRATCH/report.txt
mkdir -p "$SRC" "$BUILD"

# The sources as they are in the work tree (tracked and new files, not the build folders).
(cd "$ROOT" && sh tools/source_files.sh | tar --verbatim-files-from -T - -cf -) | (cd "$SRC" && tar xf -)
# The file a fault is planted in, named until the fault is taken out again. A run stopped in between
# leaves objects built from the fault, newer than the file just restored with its old time stamp:
# a new time stamp makes the build compile the original again.
APPLIED=$SCRATCH/applied
if [ -f "$APPLIED" ]; then touch "$SRC/$(cat "$APPLIED")" 2>/dev/null; rm -f "$APPLIED"; fi
SANITIZE=OFF
[ "${MUTANTS_SANITIZE:-0}" = 1 ] && SANITIZE=ON
cmake -S "$SRC" -B "$BUILD" -DCMAKE_BUILD_TYPE=Debug -DZELMO_SANITIZE=$SANITIZE >/dev/null || exit 1
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1

build() { cmake --build "$BUILD" -j"$(nproc)" --target framework_tests game_tests >"$SCRATCH/build.log" 2>&1; }
# Runs the unit suites that can see the file (the game's own files only reach game_tests), side
# by side; true when all of them pass.
# A suite that outlives its time is killed: SDL turns a termination signal into a close, which
# a planted fault may keep from ending the run.
suites_pass() {
    local file=$1 env="SDL_VIDEODRIVER=offscreen GTEST_FAIL_FAST=1" status=0 framework="" game
    if [ "${file#game/}" = "$file" ]; then
        env $env timeout -k 10 120 "$BUILD/tests/unit/framework_tests" >"$SCRATCH/framework.log" 2>&1 &
        framework=$!
    else
        : >"$SCRATCH/framework.log"
    fi
    env $env timeout -k 10 120 "$BUILD/tests/unit/game_tests" --gtest_filter=-FirstRound.* >"$SCRATCH/game.log" 2>&1 &
    game=$!
    env $env timeout -k 10 120 "$BUILD/tests/unit/game_tests" --gtest_filter=FirstRound.* >"$SCRATCH/first.log" 2>&1 || status=1
    wait "$game" || status=1
    if [ -n "$framework" ]; then wait "$framework" || status=1; fi
    cat "$SCRATCH/framework.log" "$SCRATCH/game.log" "$SCRATCH/first.log" >"$SCRATCH/run.log"
    return $status
}

echo "baseline: building and running the unit suites unchanged"
build || { echo "the unchanged sources do not build"; tail -20 "$SCRATCH/build.log"; exit 1; }
suites_pass "" || { echo "the unchanged sources fail their tests"; tail -30 "$SCRATCH/run.log"; exit 1; }

: >"$REPORT"
total=0 killed=0 survived=0 equivalent=0 invalid=0
summaries=()
for CATALOGUE in "${CATALOGUES[@]}"; do
echo "== ${CATALOGUE#$ROOT/}" | tee -a "$REPORT"
before=($total $killed $survived $equivalent $invalid)
while IFS= read -r line; do
    case "$line" in ''|'#'*) continue ;; esac
    [ -n "$ONLY" ] && [ "${line#*$ONLY}" = "$line" ] && continue
    path=$(printf '%s' "$line" | perl -ne 'print((split / \@\@ /, $_, -1)[0])')
    note=$(printf '%s' "$line" | perl -ne 'my @f = split / \@\@ /, $_, -1; print $f[3] // ""')
    file="$SRC/$path"
    [ -f "$file" ] || { echo "INVALID (no file): $line" | tee -a "$REPORT"; invalid=$((invalid + 1)); continue; }
    cp -p "$file" "$SCRATCH/original"
    printf '%s' "$path" >"$APPLIED"
    # Replaces the one occurrence; exit 3 when the text is not there exactly once.
    LINE="$line" perl -0777 -i -e '
        my ($path, $from, $to) = split / \@\@ /, $ENV{LINE}, -1;
        s/<NL>/\n/g for $from, $to;
        local $/; my $text = <>;
        my $count = () = $text =~ /\Q$from\E/g;
        if ($count != 1) { print $text; exit 3 }
        $text =~ s/\Q$from\E/$to/;
        print $text;' "$file"
    status=$?
    if [ $status -ne 0 ]; then
        cp -p "$SCRATCH/original" "$file"
        rm -f "$APPLIED"
        echo "INVALID (text not found exactly once): $line" | tee -a "$REPORT"
        invalid=$((invalid + 1))
        continue
    fi
    total=$((total + 1))
    if ! build; then
        result="INVALID (does not build)"
        invalid=$((invalid + 1))
        total=$((total - 1))
    elif suites_pass "$path"; then
        if [ -n "$note" ]; then result="equivalent"; equivalent=$((equivalent + 1)); else result="SURVIVED"; fi
        survived=$((survived + 1))
    else
        result="killed"
        killed=$((killed + 1))
    fi
    cp "$SCRATCH/original" "$file"  # a new time stamp: the next build compiles the original again
    touch "$file"
    rm -f "$APPLIED"
    echo "$result: $line" | tee -a "$REPORT"
done <"$CATALOGUE"
summaries+=("${CATALOGUE#$ROOT/} $((total - before[0])) $((killed - before[1])) $((survived - before[2])) $((equivalent - before[3])) $((invalid - before[4]))")
done
build >/dev/null

# One line of counts and kill rates: name, applied, killed, survived, marked equivalent, invalid.
summary() {
    awk -v n="$1" -v t="$2" -v k="$3" -v s="$4" -v e="$5" -v i="$6" 'BEGIN {
        printf "%s: %d applied, %d killed, %d survived (%d of them marked equivalent), %d invalid", n, t, k, s, e, i
        if (t > 0) printf "; kill rate %.1f %% of all, %.1f %% of those not marked equivalent", 100 * k / t, (t > e) ? 100 * k / (t - e) : 100
        printf "\n" }'
}
echo
for line in "${summaries[@]}"; do summary $line; done | tee -a "$REPORT"
[ "${#summaries[@]}" -gt 1 ] && summary "all catalogues" "$total" "$killed" "$survived" "$equivalent" "$invalid" | tee -a "$REPORT"
[ "$invalid" -eq 0 ]
