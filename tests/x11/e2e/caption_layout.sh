#!/usr/bin/env bash
# The clock on either side of the title, with either separator, as set in
# settings.ini before the start; SIGTERM gives the title back.
#   caption_layout.sh left|right space|equals
source "$(dirname "$0")/lib.sh"
side=$1 sep=$2
E2E_NAME="caption_layout $side $sep"
case $side in left) right=0 ;; right) right=1 ;; *) fail "side '$side'" ;; esac
case $sep in space) equal=0 s=' ' ;; equals) equal=1 s=' = ' ;; *) fail "separator '$sep'" ;; esac
ini_set Main "ClockRight=$right" "EqualSeparate=$equal"

start_xterm ed editor 'Editor - notes.txt'
activate "$ed"
start_kivo
q=$(regex_quote 'Editor - notes.txt')
if [[ $side == left ]]; then
  wait_title_re "$ed" "^${CLOCK_RE}$(regex_quote "$s")$q\$" 20
else
  wait_title_re "$ed" "^$q$(regex_quote "$s")${CLOCK_RE}\$" 20
fi
names_agree "$ed"
note "decorated: $(name_of "$ed")"

stop_kivo
wait_title "$ed" 'Editor - notes.txt'
names_agree "$ed"
note "ok"
