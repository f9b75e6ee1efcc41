#!/usr/bin/env bash
# Screenshots of the real program under a virtual display, for the README.
#   scripts/screenshots.sh [build-dir]
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/docs/screenshots"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/kovu" "$build/kovu.mdb" "$work/"
# The main screen, as a family sees it at the first start.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
  cd '$work' && ./kovu & pid=\$!
  sleep 4
  import -window root '$work/root.png'
  kill \$pid 2>/dev/null || true
"
# The window stands centred on the 1024 x 768 screen: 634 x 454 at 195,157.
convert "$work/root.png" -crop 634x454+192+144 +repage "$out/main.png"
echo "wrote $out/main.png"
# The arithmetic screens, driven through the real form with fixed draws.
xvfb-run -a -s "-screen 0 1024x768x24" "$build/kovu_practice_shots" "$build/kovu.mdb" "$out"
# The item-selection screens and the editor.
xvfb-run -a -s "-screen 0 1024x768x24" "$build/kovu_selection_shots" "$build/kovu.mdb" "$out"
# The help panel and the start-shortcut panel.
xvfb-run -a -s "-screen 0 1024x768x24" "$build/kovu_tools_shots" "$build/kovu.mdb" "$out"
# The editor while content is entered.
xvfb-run -a -s "-screen 0 1024x768x24" "$build/kovu_editor_shots" "$build/kovu.mdb" "$out"
# The picture page and the crop panel.
xvfb-run -a -s "-screen 0 1024x768x24" "$build/kovu_picture_shots" "$build/kovu.mdb" "$out"
# The children's page with a chart and mistakes, and the child's box on a conditions screen.
xvfb-run -a -s "-screen 0 1024x768x24" "$build/kovu_progress_shots" "$build/kovu.mdb" "$out"
# The stroke order half drawn, and tracing with two strokes done and a hint showing.
xvfb-run -a -s "-screen 0 1024x768x24" "$build/kovu_stroke_shots" "$build/kovu.mdb" "$out"
