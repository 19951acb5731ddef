#!/bin/bash
# SPDX-License-Identifier: MIT
# Runs the two unit programs of a build whole, side by side, the first round in a process of its own
# (it must draw the generator's first numbers), against Mesa through SDL's offscreen driver; shows
# only failures and each program's count. make check and the package build (debian/rules) run it.
#
# Usage: unit_suites.sh BUILD_DIR
set -u
cd "$1/tests/unit" || exit 2
export SDL_VIDEODRIVER=offscreen GTEST_BRIEF=1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
./framework_tests >"$out/framework" 2>&1 &
framework=$!
./game_tests --gtest_filter=-FirstRound.* >"$out/game" 2>&1 &
game=$!
./game_tests --gtest_filter=FirstRound.* >"$out/first_round" 2>&1
status=$?
wait $framework || status=1
wait $game || status=1
# Each program's lines together, without GoogleTest's greeting.
cat "$out/first_round" "$out/framework" "$out/game" | grep -v '^Running main() from'
exit $status
