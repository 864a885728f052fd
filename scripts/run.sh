#!/usr/bin/env bash
# Installs what is missing, builds, generates the demo project and starts the
# editor on it. Without a display it writes a screenshot instead.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"

bash scripts/deps.sh
bash scripts/build.sh build -DORVANTA_BENCH=OFF -DORVANTA_TESTS=OFF

mkdir -p demo
./build/orvanta-demo demo >/dev/null

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  shot="$here/demo/orvanta.png"
  QT_QPA_PLATFORM=offscreen ./build/orvanta --select 1 --screenshot "$shot" \
    demo/demo.dbc demo/demo.org demo/demo.tun
  echo "Kein Bildschirm gefunden: Bildschirmfoto gespeichert in $shot"
else
  exec ./build/orvanta --select 1 demo/demo.dbc demo/demo.org demo/demo.tun
fi
