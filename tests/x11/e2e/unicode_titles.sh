#!/usr/bin/env bash
# Titles in Japanese, with emoji, and in Latin-1 come through the clock and
# back intact, in _NET_WM_NAME and in WM_NAME alike.
source "$(dirname "$0")/lib.sh"

jp='日本語のメモ 📝 ｽﾍﾟﾙﾁｪｯｸ'
latin='Café crème'
start_xterm j japanese 'start'
start_xterm l latin 'start'
retitle japanese "$jp"
retitle latin "$latin"
wait_title "$j" "$jp"
wait_title "$l" "$latin"
activate "$j"
start_kivo
wait_title_re "$j" "^${CLOCK_RE} = $(regex_quote "$jp")\$" 20
names_agree "$j"

activate "$l"
wait_title_re "$l" "^${CLOCK_RE} = $(regex_quote "$latin")\$"
names_agree "$l"
wait_title "$j" "$jp"
names_agree "$j"

# A new non-Latin title while in front.
retitle latin '絵文字 🎌🍣 ok'
wait_title_re "$l" "^${CLOCK_RE} = 絵文字 🎌🍣 ok\$"
names_agree "$l"

if [[ -n ${KIVO_QT_CLIENT:-} ]]; then
  start_qt_client qt qtc 'Qtの窓 🪟'
  activate "$qt"
  wait_title_re "$qt" "^${CLOCK_RE} = Qtの窓 🪟\$"
  names_agree "$qt"
  activate "$j"
  wait_title "$qt" 'Qtの窓 🪟'
  names_agree "$qt"
fi
kivo_alive
note "ok"
