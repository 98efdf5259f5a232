#!/usr/bin/env bash
# Builds Orvo and starts it on the built-in simulated module. Without a display it runs under
# Xvfb, saves a screenshot of the main window to build/orvo-screenshot.png after 5 s and ends.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target orvo orvo-cli
exe=build/release/app/orvo
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$exe" --port Simulator "$@"
fi
shot="$PWD/build/orvo-screenshot.png"
rm -f "$shot"
xvfb-run -a -s "-screen 0 1280x900x24" "$exe" --port Simulator --screenshot "$shot" "$@"
if [ -f "$shot" ]; then
  echo "No display: ran under Xvfb. Screenshot of the main window: $shot"
else
  echo "No display: ran under Xvfb, but no screenshot was written" >&2
  exit 1
fi
