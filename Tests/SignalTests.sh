#!/usr/bin/env bash
# End-to-end checks that a termination signal ends the game the way Ctrl+Q
# does, run by CTest:
#   SignalTests.sh <build folder> <screen> <signal>
# <screen> is "play" (started at level 1), "editor" (Ctrl+L typed on the
# title screen) or "dialog" (an alert open at start); <signal> is TERM or INT.
# The game runs on a virtual display in a home of its own; it must exit 0,
# with its preferences written whole and no temporary file left beside them.
set -euo pipefail

build=$(cd "$1" && pwd)
screen_name=$2
signal=$3
root=$build/signal-test/$screen_name-$signal
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
case $screen_name in
play) arguments=(--level 1) ;;
editor) arguments=() ;;
dialog) arguments=(--level 99) ;;
*) fail "unknown screen $screen_name" ;;
esac

# Types Ctrl+L into the display through the XTEST extension, with the
# pointer over the middle of the screen so that the game's window has focus.
cat >"$root/type-ctrl-l.py" <<'PYTHON'
import ctypes, time
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
display = ctypes.c_void_p(x11.XOpenDisplay(None))
if not display:
    raise SystemExit("no display")
xtst.XTestFakeMotionEvent(display, 0, 512, 384, 0)
control = x11.XKeysymToKeycode(display, 0xFFE3)
letter = x11.XKeysymToKeycode(display, ord("l"))
for code, down in ((control, 1), (letter, 1), (letter, 0), (control, 0)):
    xtst.XTestFakeKeyEvent(display, code, down, 0)
    x11.XFlush(display)
    time.sleep(0.1)
x11.XCloseDisplay(display)
PYTHON

status=0
(cd / && env ALSOFT_DRIVERS=null HOME="$home" XDG_STATE_HOME="$home/state" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
        screen=$1 signal=$2 root=$3; shift 3
        "$@" & game=$!
        sleep 5
        if [ "$screen" = editor ]; then python3 "$root/type-ctrl-l.py"; sleep 2; fi
        kill -$signal $game
        # A game that does not end within 20 seconds has ignored the signal.
        for i in $(seq 200); do kill -0 $game 2>/dev/null || break; sleep 0.1; done
        if kill -0 $game 2>/dev/null; then echo "still running after SIG$signal"; kill -KILL $game; fi
        wait $game' run "$screen_name" "$signal" "$root" "$build/brimhold" "${arguments[@]}" >"$root/game.log" 2>&1) || status=$?
cat "$root/game.log"
[ $status -eq 0 ] || fail "the game exited with $status after SIG$signal"
preferences="$home/config/Brimhold/Brimhold Preferences"
[ -s "$preferences" ] || fail "no preferences written"
others=$(find "$home/config/Brimhold" -type f ! -name 'Brimhold Preferences')
[ -z "$others" ] || fail "left behind: $others"
echo "SIG$signal on $screen_name: exit 0, preferences written"
