#!/usr/bin/env bash
# Installs the built game into a scratch prefix and checks that it is a
# working desktop game: the program and its sounds together, the launcher,
# a valid desktop entry and metainfo, the icon at every size, and that the
# command of the desktop entry starts a game that finds its sounds and keeps
# its scores in the user's data folder, not beside the program.
#   install_test.sh <build folder>
set -euo pipefail
build="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "install test: $*" >&2
    exit 1
}

prefix="$scratch/usr"
cmake --install "$build" --prefix "$prefix" >/dev/null
app=org.tumbrix.Tumbrix
for file in bin/tumbrix lib/tumbrix/tumbrix lib/tumbrix/tumbrix.installed \
    lib/tumbrix/{MainMusic,HighScore,GameOver,BonusCollected,BallBounce}.wav \
    share/applications/$app.desktop share/metainfo/$app.metainfo.xml \
    share/icons/hicolor/scalable/apps/$app.svg; do
    [ -e "$prefix/$file" ] || fail "$file is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$app.png"
    [ -f "$png" ] || fail "no ${size}x${size} icon"
    # Width and height stand big-endian in the PNG header, bytes 17 to 24.
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$width x $height" = "$size x $size" ] || fail "the ${size}x${size} icon is $width x $height"
done
desktop-file-validate "$prefix/share/applications/$app.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$app.metainfo.xml" >/dev/null ||
    appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml"

# Start the game as the desktop would, from the entry's command, for a moment.
command="$(sed -n 's/^Exec=//p' "$prefix/share/applications/$app.desktop")"
status=0
PATH="$prefix/bin:$PATH" XDG_DATA_HOME="$scratch/data" HOME="$scratch/home" \
    QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
    timeout -s TERM 3 $command 2>"$scratch/stderr" || status=$?
[ "$status" -eq 124 ] || fail "the game ended by itself ($status): $(cat "$scratch/stderr")"
if grep -q "tumbrix:" "$scratch/stderr"; then
    fail "the game complained: $(grep "tumbrix:" "$scratch/stderr")"
fi
[ -f "$scratch/data/tumbrix/Tumbrix.txt" ] || fail "no table in the user's data folder"
[ ! -e "$prefix/lib/tumbrix/Tumbrix.txt" ] || fail "a table beside the installed program"
echo "install test: passed"
