#!/usr/bin/env bash
# Whatever box or dialog Kivo has up, a termination signal ends it: the
# window that carries the clock gets its own title back and Kivo ends.
#   box_signal.sh problem [SIGNAL]   the box about an unusable settings file
#   box_signal.sh refused [SIGNAL]   the box of a refused save, inside OK's handler
#   box_signal.sh settings [SIGNAL]  the settings dialog (a modal form)
# SIGNAL is TERM (default), INT or HUP.
source "$(dirname "$0")/lib.sh"
case_name=$1 signal=${2:-TERM}

start_xterm ed editor 'Editor'
activate "$ed"
[[ $case_name == settings ]] || corrupt_ini
start_kivo
if [[ $case_name == problem ]]; then
  wait_box
  up=$BOX
else
  if [[ $case_name == refused ]]; then
    wait_box
    answer_box "$BOX"
  fi
  activate "$ed"
  wait_title_re "$ed" "^${CLOCK_RE} = Editor\$" 20
  timeout 15 "$KIVO_BIN" >>"$work/kivo.log" 2>&1 || fail "the second start failed"
  wait_main_in_front
  if [[ $case_name == refused ]]; then
    xdotool key --clearmodifiers Return # OK, which the file refuses
    wait_box
    up=$BOX
  else
    xdotool key --clearmodifiers alt+s # 詳細(&S)
    dialog() {
      up=$(xdotool search --all --pid "$KIVO_PID" --onlyvisible --name '詳細' 2>/dev/null | head -n 1)
      [[ -n $up ]]
    }
    wait_until 10 "the settings dialog" dialog
  fi
fi

# The editor in front carries the clock while the box is up.
activate "$ed"
wait_title_re "$ed" "^${CLOCK_RE} = Editor\$" 10
box_gone "$up" && fail "the box went away by itself"
kill -s "$signal" "$KIVO_PID"
kivo_ended_within 10
wait_title "$ed" 'Editor' 5
note "ok ($case_name, SIG$signal, exit status $KIVO_STATUS)"
