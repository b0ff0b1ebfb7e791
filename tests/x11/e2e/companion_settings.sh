#!/usr/bin/env bash
# A companion program's custom template (KivoXX in [Plug in], XXFormat in
# [Main]) is taken at start-up, verbatim; a new one at the next start. Lines
# kivo does not know are left alone.
source "$(dirname "$0")/lib.sh"
cat >"$INI" <<'INI'
; written by a companion
[Companion]
Colour=blue
INI
ini_set 'Plug in' KivoXX=1
ini_set Main 'XXFormat=\[%hh:nn%\] %m%月%d%日'
before=$(cat "$INI")

start_xterm ed editor 'Editor'
activate "$ed"
start_kivo_at '2026-12-07 10:00:00'
wait_title_re "$ed" '^\[[0-9]{2}:[0-9]{2}\] 12月7日 = Editor$' 20
stop_kivo
wait_title "$ed" 'Editor'

ini_set Main 'XXFormat=%yyyy%年 %hh:nn%'
start_kivo_at '2026-12-07 10:00:00'
wait_title_re "$ed" '^2026年 [0-9]{2}:[0-9]{2} = Editor$' 20
[[ $(grep -c . "$INI") -eq $(($(grep -c . <<<"$before"))) ]] || fail "settings.ini changed: $(cat "$INI")"
grep -qx 'Colour=blue' "$INI" || fail "the companion's key is gone"
note "ok"
