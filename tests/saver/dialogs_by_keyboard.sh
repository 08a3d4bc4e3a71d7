#!/usr/bin/env bash
# The settings dialog on a real display, used from the keyboard as a user
# would: orvanel-saver with no arguments, keys pressed through XTest by a
# program of their own. Run by run_under_xvfb.sh (DISPLAY is its server).
#   dialogs_by_keyboard.sh SAVER PRESS_KEY_HELPER READ_CLIPBOARD_HELPER
set -u
saver=$1
press=$2
read_clipboard=$3
title="Orvanel Saver IV Preferences"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
registry=$XDG_CONFIG_HOME/orvanel-saver/registry
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

saver_pid=0
# Starts the saver and waits for its dialog, then gives the dialog a moment
# (its preview starts), as a user's first key would.
start_saver() {
  "$saver" >"$work/saver.log" 2>&1 &
  saver_pid=$!
  "$press" --until-shown "$title" || fail "no window titled \"$title\" came up"
  sleep 1
}
keys() {
  "$press" "$title" "$@" || fail "found no window titled \"$title\" to press $*"
}
# Waits (at most 20 s) for the saver to end; the settings mode's exit code is
# the dialog's result, 1.
expect_saver_ends() {
  local i
  for ((i = 0; i < 200; i++)); do
    kill -0 "$saver_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$saver_pid" 2>/dev/null; then
    fail "$1: the dialog is still open"
    kill "$saver_pid"
  fi
  wait "$saver_pid"
  local code=$?
  ((code == 1)) || fail "$1: exit code $code"
  ((code == 1)) || cat "$work/saver.log"
}
expect_value() {
  local line
  line=$(grep -i "^$1=" "$registry" 2>/dev/null)
  [[ $line == "$1=dword:$2" ]] || fail "stored \"$1\": expected $2, found \"$line\""
}

# Escape is Cancel: no value is written (reading the settings makes their key).
start_saver
keys Tab 7 Escape
expect_saver_ends "Escape"
grep -qi "count=\|speed=" "$registry" 2>/dev/null && fail "Cancel wrote settings: $(cat "$registry")"

# The speed scroll bar has the focus; Tab goes on to count 1, then count 2,
# each field selected whole. Enter is OK, also straight after typing.
start_saver
keys End Tab 2 Tab 5 Return
expect_saver_ends "Enter"
expect_value speed 100
expect_value "sprite 1 count" 2
expect_value "sprite 2 count" 5

# Ctrl+C in a field puts its selection on the desktop's clipboard, where
# another program reads it while the dialog is open.
start_saver
keys Tab Tab Control_L+c
pasted=$("$read_clipboard") || fail "nothing on the clipboard"
[[ $pasted == 5 ]] || fail "clipboard: expected \"5\", found \"$pasted\""
keys Escape
expect_saver_ends "Ctrl+C, Escape"

# Keys typed ahead, with no pause between them, each reach the control the
# keys before them gave the focus to.
start_saver
"$press" --no-gap "$title" Tab 1 Tab 7 Return || fail "found no window titled \"$title\" for keys typed ahead"
expect_saver_ends "keys typed ahead"
expect_value speed 100
expect_value "sprite 1 count" 1
expect_value "sprite 2 count" 7

# The menu opens the About box from the keyboard (F10, Enter, Enter) without
# the preview's loop taking the Enters as OK; Escape closes the box, then the
# dialog.
rm -rf "$XDG_CONFIG_HOME"
start_saver
keys F10 Return Return
"$press" "Orvanel Saver IV Freeware" Escape || fail "the menu opened no About box"
# The dialog takes keys again only once the box is gone.
"$press" --until-gone "Orvanel Saver IV Freeware" || fail "Escape left the About box open"
keys Escape
expect_saver_ends "About box"
grep -qi "count=\|speed=" "$registry" 2>/dev/null && fail "the About box's keys wrote settings"

((failures == 0)) && echo "all keyboard checks passed"
((failures == 0))
