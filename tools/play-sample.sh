#!/bin/sh
# Plays the sample installation with the scripted user who accepts every
# proposal, saving a PNG of each screen in SHOTS, then stops the prefix's
# server so that its registry is on disk.
#   play-sample.sh BED BUILD SHOTS [DISTRIBUTION]
# BED is a test-bed directory already started (display and server); the
# installation runs from a pristine prefix. DISTRIBUTION is the folder of the
# SETUP.EXE played, BUILD/sample unless given.
set -eu
bed="$1" build="$2" shots="$3" dist="${4:-$2/sample}"
here=$(cd "$(dirname "$0")" && pwd)
winpath() { echo "Z:$1" | tr / '\\'; }
abs() { (cd "$1" && pwd); }

mkdir -p "$shots"
shots=$(abs "$shots")
build=$(abs "$build")
dist=$(abs "$dist")
rm -f "$shots"/*.bmp "$shots"/*.png
sed "s|SHOTS|$(winpath "$shots" | sed 's/\\/\\\\/g')|" "$here/../sample/accept-defaults.scenario" \
    > "$shots/scenario.txt"

status=0
TAV_FRESH=1 "$here/winebed.sh" run "$bed" "$build/userdriver.exe" \
    --program "$(winpath "$dist/SETUP.EXE")" \
    --cwd "$(winpath "$dist")" \
    --scenario "$(winpath "$shots/scenario.txt")" \
    --transcript "$(winpath "$shots/transcript.txt")" >/dev/null || status=$?
"$here/winebed.sh" flush "$bed"
if ls "$shots"/*.bmp >/dev/null 2>&1; then
    python3 "$here/bmp2png.py" "$shots"/*.bmp && rm -f "$shots"/*.bmp
fi
if [ $status -ne 0 ]; then
    cat "$shots/transcript.txt" 2>/dev/null || echo "(no transcript was written)" >&2
    echo "The sample installation did not go as a user accepting the defaults expects; the transcript above shows where." >&2
    exit 1
fi
