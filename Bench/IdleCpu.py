#!/usr/bin/env python3
"""What the game costs while its picture stands still: the share of one core
the whole process uses (all its threads, from /proc) over 10 seconds at the
title after its intro, in a paused game and in a resting level editor.  Run on an X display (make bench
runs it under Xvfb):

    Bench/IdleCpu.py BUILD/brimhold "BUILD/Resources/Levels/Test levels"

The keys (Escape to pause, Ctrl+L for the editor) are sent with the X test
extension.
"""
import ctypes
import os
import subprocess
import sys
import tempfile
import time

SECONDS = 10.0


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def measure(pid):
    start, t0 = cpu_seconds(pid), time.monotonic()
    time.sleep(SECONDS)
    return 100.0 * (cpu_seconds(pid) - start) / (time.monotonic() - t0)


def press(*keysyms):
    x11 = ctypes.CDLL("libX11.so.6")
    xtst = ctypes.CDLL("libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
    xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    display = x11.XOpenDisplay(None)
    if not display:
        raise SystemExit("no X display")
    # The pointer over the middle of the screen, where the window is, so
    # that the keyboard goes to it.
    xtst.XTestFakeMotionEvent(display, -1, 512, 384, 0)
    codes = [x11.XKeysymToKeycode(display, keysym) for keysym in keysyms]
    for code in codes:
        xtst.XTestFakeKeyEvent(display, code, 1, 0)
    for code in reversed(codes):
        xtst.XTestFakeKeyEvent(display, code, 0, 0)
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def run(args, config, settle, before_measuring=None, after=1.0):
    env = dict(os.environ, XDG_CONFIG_HOME=config, ALSOFT_DRIVERS="null")
    process = subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(settle)
        if before_measuring:
            before_measuring()
            time.sleep(after)
        return measure(process.pid)
    finally:
        process.terminate()
        process.wait(timeout=30)


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    program, levels = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as config:
        title = run([program], config, 8.0)
        print(f"Idle at the still title: {title:.1f}% of a core over {SECONDS:.0f} s")
        # The first Escape skips the level's title card, the second pauses.
        paused = run([program, "--level", "1", levels], config, 5.0,
                     lambda: (press(0xFF1B), time.sleep(1.5), press(0xFF1B)))
        print(f"Idle in a paused game:   {paused:.1f}% of a core over {SECONDS:.0f} s")
        # The editor rests a few seconds after the last key.
        editor = run([program], config, 8.0, lambda: press(0xFFE3, ord("l")), after=5.0)
        print(f"Idle in the level editor: {editor:.1f}% of a core over {SECONDS:.0f} s")
        playing = run([program, "--level", "1", levels], config, 5.0)
        print(f"In play, for comparison: {playing:.1f}% of a core over {SECONDS:.0f} s")
        with open(f"/proc/loadavg") as f:
            print(f"Load average: {f.read().strip()}")


if __name__ == "__main__":
    main()
