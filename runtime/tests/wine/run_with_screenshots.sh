#!/usr/bin/env bash
# Runs an end-to-end test program under Wine and serves its screenshot requests on the Linux
# side: for each <name>.request in the shot folder it grabs the whole virtual display (xwd),
# keeps it as <name>.png and hands the pixels back as <name>.ppm, then writes <name>.done
# (<name>.failed when a tool failed). Needs a display (xvfb-run -a).
# Usage: run_with_screenshots.sh <shot folder> <program.exe> [program arguments...]
set -uo pipefail

root=$(cd "$(dirname "$0")/../../.." && pwd)
shots=$1
program=$2
shift 2
mkdir -p "$shots"
rm -f "$shots"/*.request "$shots"/*.done "$shots"/*.failed "$shots"/*.ppm "$shots"/*.xwd

serve() {
    local request name
    for request in "$shots"/*.request; do
        [[ -e $request ]] || continue
        name=${request%.request}
        if xwd -root -silent -display "$DISPLAY" -out "$name.xwd" &&
            convert "$name.xwd" "$name.png" && convert "$name.xwd" "$name.ppm"; then
            touch "$name.done"
        else
            touch "$name.failed"
        fi
        rm -f "$request" "$name.xwd"
    done
}

export TAVRIN_E2E_SHOTS=$shots
"$root/tools/wine-run" "$program" "$@" &
pid=$!
while kill -0 "$pid" 2>/dev/null; do
    serve
    sleep 0.05
done
wait "$pid"
