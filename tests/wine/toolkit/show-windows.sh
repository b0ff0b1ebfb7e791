#!/usr/bin/env bash
# Pictures of the program's three windows and its version box as the Win32 toolkit draws them
# under 64-bit Wine, one PNG each: show-windows.sh BUILD_DIR OUT_DIR.
# Wine is told to draw the window frames itself (Xvfb has no window
# manager), in a prefix of its own so the tests' prefix is left as it is.
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
export KIVO_WINEPREFIX=$build/wineprefix-pictures
bash "$here/../../../scripts/wine-run.sh" --init "$build"
export WINEPREFIX=$KIVO_WINEPREFIX WINEDEBUG=-all EXE=$build/tests/wine/toolkit/kivo-toolkit-show.exe
export OUT=$out
# One display for all of it: Wine keeps the display it first ran on.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  wine=/usr/lib/wine/wine64
  for value in Decorated Managed; do
    $wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v $value /d N /f >/dev/null
  done
  # The caption bar and the boxes use the system font (Tahoma): Japanese
  # comes from the linked IPA face, as from a linked Japanese face on Windows.
  $wine reg add "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink" \
    /v Tahoma /t REG_MULTI_SZ /d "ipagp.ttf,IPAPGothic" /f >/dev/null
  for form in frmMain frmSet frmWSet box; do
    ready=$OUT/$form.ready
    rm -f "$ready"
    $wine "$EXE" $form "Z:${ready//\//\\}" &
    for _ in $(seq 600); do [[ -s "$ready" ]] && break; sleep 0.1; done
    read -r x y w h <"$ready"
    import -window root -crop "${w}x${h}+${x}+${y}" "$OUT/$form.png"
    rm -f "$ready"
    wait
    echo "show-windows: $OUT/$form.png"
  done
  /usr/lib/wine/wineserver -w'
