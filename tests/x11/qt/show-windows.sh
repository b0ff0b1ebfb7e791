#!/usr/bin/env bash
# Pictures of the program's three windows and its alarm box as the Qt
# toolkit draws them on a private Xvfb with openbox, one PNG each:
#   show-windows.sh BUILD_DIR OUT_DIR
# (linux-main.png, linux-settings.png, linux-window-list.png, linux-alarm.png).
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2"
export OUT=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
export SHOW=$build/tests/x11/qt/kivo-qt-show
exec "$here/../../../scripts/x11-run.sh" --wm --size 1024x768x24 -- bash -c '
  set -euo pipefail
  for pair in frmMain:linux-main frmSet:linux-settings frmWSet:linux-window-list alarm:linux-alarm; do
    form=${pair%%:*} picture=$OUT/${pair#*:}.png ready=$OUT/$form.ready
    rm -f "$ready"
    "$SHOW" "$form" "$ready" &
    for _ in $(seq 600); do [[ -s "$ready" ]] && break; sleep 0.1; done
    read -r x y w h <"$ready"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$picture"
    rm -f "$ready"
    wait
    echo "show-windows: $picture"
  done'
