#!/usr/bin/env bash
# How the real game starts when something it needs is missing, run by CTest:
#   StartUpTests.sh <build folder> no-display|no-sound
# Without a display it prints one line saying it cannot open a window and
# exits 1; without a sound device it prints one line saying sound is off and
# plays on silently (ended here by SIGTERM, exit 0).
set -euo pipefail

build=$(cd "$1" && pwd)
case_name=$2
root=$build/start-up-test/$case_name
home=$root/home

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# In the sanitizer build the system's D-Bus library leaks a buffer at exit
# from the alert and sound paths; leaks are the unit tests' business, these
# runs check how the program ends.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

rm -rf "$root"
mkdir -p "$home"
status=0
case $case_name in
no-display)
    (cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER HOME="$home" XDG_STATE_HOME="$home/state" XDG_CONFIG_HOME="$home/config" \
        ALSOFT_DRIVERS=null timeout -k 5 20 "$build/brimhold" >"$root/game.log" 2>&1) || status=$?
    cat "$root/game.log"
    [ $status -eq 1 ] || fail "the game exited with $status"
    [ "$(wc -l <"$root/game.log")" -eq 1 ] || fail "more than one line"
    grep -q '^brimhold: cannot open a window: no display' "$root/game.log" || fail "no reason given"
    ;;
no-sound)
    (cd / && env HOME="$home" XDG_STATE_HOME="$home/state" XDG_CONFIG_HOME="$home/config" ALSOFT_DRIVERS=no-such-driver \
        xvfb-run -a -s "-screen 0 1024x768x24" timeout --preserve-status -k 20 -s TERM 5 \
        "$build/brimhold" >"$root/game.log" 2>&1) || status=$?
    cat "$root/game.log"
    [ $status -eq 0 ] || fail "the game exited with $status"
    [ "$(wc -l <"$root/game.log")" -eq 1 ] || fail "more than one line"
    grep -q '^brimhold: sound is off' "$root/game.log" || fail "no word that sound is off"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
echo "$case_name: as expected"
