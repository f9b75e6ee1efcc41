#!/usr/bin/env bash
# make bench-startup: exec to the first drawing in the window, for a bare Qt Widgets window and for
# the program (with the delivered database beside it, a later start), in turns under one virtual
# display. RUNS=n sets the number of counted starts of each (default 15).
set -euo pipefail
build=${1:-build}
runs=${RUNS:-15}
for f in kovu kovu_bare_window kovu_startup_timer kovu.mdb; do
  [ -e "$build/$f" ] || { echo "bench-startup: $build/$f is missing; run make build first" >&2; exit 1; }
done
# Both programs take the X11 platform of the virtual display.
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# Qt wants a private runtime folder; without one it says so at every start.
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
echo "load: $(uptime)"
xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/kovu_startup_timer" --runs "$runs" "$build/kovu_bare_window" "$build/kovu"
