#!/usr/bin/env bash
# Checks of the installed game, run by CTest:
#   InstallTests.sh <build folder> <case>
# "install" installs the build into <build folder>/install-test/prefix (the
# other cases use that install); "files", "desktop", "metainfo", "start",
# "command-line" and "mime" check it.
set -euo pipefail

build=$(cd "$1" && pwd)
case_name=$2
root=$build/install-test
prefix=$root/prefix
app=org.brimhold.Brimhold

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

case $case_name in
install)
    rm -rf "$root"
    mkdir -p "$root"
    cmake --install "$build" --prefix "$prefix" >"$root/install.log"
    ;;
files)
    for file in bin/brimhold \
        share/brimhold/MainMenu "share/brimhold/Levels/Test levels" \
        share/applications/$app.desktop share/metainfo/$app.metainfo.xml \
        share/mime/packages/$app.xml share/man/man6/brimhold.6; do
        [ -s "$prefix/$file" ] || fail "missing $file"
    done
    for size in 16 24 32 48 64 128 256 512; do
        icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$app.png
        [ -s "$icon" ] || fail "missing the ${size}-pixel icon"
        # The PNG header holds the width and height at bytes 16 to 23.
        dimensions=$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ')
        expected=" 0 0 $((size / 256)) $((size % 256)) 0 0 $((size / 256)) $((size % 256))"
        [ "$dimensions" = "$expected" ] || fail "the ${size}-pixel icon measures$dimensions"
    done
    for folder in Models Textures Sounds; do
        [ -n "$(ls -A "$prefix/share/brimhold/$folder")" ] || fail "empty $folder"
    done
    [ ! -e "$prefix/share/brimhold/Levels/Replays" ] || fail "the replays were installed"
    ;;
desktop)
    desktop-file-validate "$prefix/share/applications/$app.desktop"
    ;;
metainfo)
    appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml"
    ;;
command-line)
    "$prefix/bin/brimhold" --version | grep -q '^Brimhold ' || fail "--version"
    "$prefix/bin/brimhold" --help | grep -q -- '--level N' || fail "--help"
    status=0
    "$prefix/bin/brimhold" --no-such-option 2>"$root/usage.txt" || status=$?
    [ $status -eq 2 ] || fail "an unknown option exited with $status"
    grep -q '^Usage: brimhold' "$root/usage.txt" || fail "no usage on standard error"
    ;;
start)
    # Started from another folder with a home of its own, the installed game
    # finds its data beside itself and shows the title screen (its emblem's
    # gold ring is on the virtual screen after a few seconds); on SIGTERM it
    # ends as Ctrl+Q does: the preferences are written and it exits 0.
    home=$root/home
    screen=$root/screen
    rm -rf "$home" "$screen"
    mkdir -p "$home" "$screen"
    status=0
    (cd / && env -u BRIMHOLD_DATA_DIR ALSOFT_DRIVERS=null HOME="$home" XDG_STATE_HOME="$home/state" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        xvfb-run -a -s "-screen 0 1024x768x24 -fbdir $screen" bash -c '
            "$1" & game=$!
            sleep 6
            cp "$2/Xvfb_screen0" "$2/frame.xwd"
            kill -TERM $game
            wait $game' run "$prefix/bin/brimhold" "$screen" >"$root/start.log" 2>&1) || status=$?
    cat "$root/start.log"
    [ $status -eq 0 ] || fail "the game exited with $status"
    [ -s "$home/config/Brimhold/Brimhold Preferences" ] || fail "no preferences written"
    ! grep -qi 'problem\|error\|cannot' "$root/start.log" || fail "the game reported a problem"
    gold=$(python3 - "$screen/frame.xwd" <<'PYTHON'
import struct, sys
data = open(sys.argv[1], "rb").read()
header_size, = struct.unpack(">I", data[0:4])
width, height = struct.unpack(">II", data[16:24])
bits_per_pixel, = struct.unpack(">I", data[44:48])
bytes_per_line, = struct.unpack(">I", data[48:52])
colormap_entries, = struct.unpack(">I", data[76:80])
byte_order, = struct.unpack(">I", data[28:32])
start = header_size + 12 * colormap_entries
gold = 0
for y in range(height):
    row = data[start + y * bytes_per_line: start + y * bytes_per_line + width * bits_per_pixel // 8]
    for x in range(0, len(row), 4):
        b, g, r = (row[x], row[x + 1], row[x + 2]) if byte_order == 0 else (row[x + 3], row[x + 2], row[x + 1])
        if r > 200 and 150 < g < 235 and b < 140:
            gold += 1
print(gold)
PYTHON
)
    echo "gold pixels on the title screen: $gold"
    [ "$gold" -gt 500 ] || fail "the title screen was not drawn ($gold gold pixels)"
    ;;
bad-file)
    # A file that is not a level set is reported and the game goes on with
    # the standard set; a level the set does not have is reported too; a
    # good file is opened.
    home=$root/home-bad
    rm -rf "$home"
    mkdir -p "$home"
    head -c 300 /dev/urandom >"$root/not a level set"
    run_briefly() {
        local status=0
        (cd / && env ALSOFT_DRIVERS=null HOME="$home" XDG_STATE_HOME="$home/state" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
            xvfb-run -a -s "-screen 0 1024x768x24" timeout --preserve-status -k 20 -s TERM 5 \
            "$prefix/bin/brimhold" "$@" >"$root/bad.log" 2>&1) || status=$?
        cat "$root/bad.log"
        [ $status -eq 0 ] || fail "the game exited with $status for $*"
    }
    run_briefly "$root/not a level set"
    grep -qF 'There was a problem loading the specified level file.' "$root/bad.log" || fail "no alert for a bad file"
    run_briefly --level 99
    grep -qF 'The level set "Test levels" has no level 99: it has 17.' "$root/bad.log" || fail "no alert for level 99"
    # A good file named on the command line becomes the current set: the
    # alert for a level it lacks names it.
    cp "$prefix/share/brimhold/Levels/Test levels" "$root/My set"
    run_briefly --level 99 "$root/My set"
    grep -qF 'The level set "My set" has no level 99: it has 17.' "$root/bad.log" || fail "the file was not opened"
    ;;
mime)
    # A level-set file without an extension is recognised by its magic.
    mimeroot=$root/mime-data
    rm -rf "$mimeroot"
    mkdir -p "$mimeroot/mime/packages"
    cp /usr/share/mime/packages/freedesktop.org.xml "$prefix/share/mime/packages/$app.xml" "$mimeroot/mime/packages/"
    update-mime-database "$mimeroot/mime"
    sample="$root/A level set"
    cp "$prefix/share/brimhold/Levels/Test levels" "$sample"
    type=$(XDG_DATA_HOME="$mimeroot" XDG_DATA_DIRS="$mimeroot" GIO_USE_VFS=local \
        gio info -a standard::content-type "$sample" | sed -n 's/.*standard::content-type: //p')
    [ "$type" = "application/x-brimhold-level-set" ] || fail "the level set is seen as '$type'"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
