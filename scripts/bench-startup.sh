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
# The program remembers the key of a file it opened (in the user's cache folder); the first start,
# not counted, leaves it there, as any start before a later one does.
xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/kovu_startup_timer" --runs "$runs" "$build/kovu_bare_window" "$build/kovu"
# Where nothing can be remembered (the cache folder is a file), every start derives the key, as the
# first start on a machine does.
nocache=$(mktemp)
trap 'rm -f "$nocache"' EXIT
echo
echo "The same with no key remembered (the first start on a machine):"
XDG_CACHE_HOME=$nocache xvfb-run -a -s "-screen 0 1024x768x24" \
  "$build/kovu_startup_timer" --runs "$runs" "$build/kovu_bare_window" "$build/kovu"
