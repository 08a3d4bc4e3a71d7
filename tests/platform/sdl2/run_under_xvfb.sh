#!/usr/bin/env bash
# Runs a program against a private Xvfb server (1024x768x24, or
# $ORVANEL_XVFB_SCREEN; more server arguments in $ORVANEL_XVFB_ARGS) on the
# first free display from :90 up ($ORVANEL_XVFB_FIRST_DISPLAY to start elsewhere), then stops the server. The program finds the server's process id in ORVANEL_XVFB_PID.
# Exit 77 (skipped) when Xvfb is not installed.
set -u
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "Xvfb is not installed: skipped (scripts/install-deps --test installs it)"
  exit 77
fi

log=$(mktemp)
server=0
first=${ORVANEL_XVFB_FIRST_DISPLAY:-90}
for ((number = first; number < first + 100; number++)); do
  [[ -e /tmp/.X${number}-lock || -e /tmp/.X11-unix/X${number} ]] && continue
  # -noreset: the server would otherwise reset, refusing connections for a
  # moment, whenever a test closes the last one.
  # shellcheck disable=SC2086  # the extra arguments are words
  Xvfb ":${number}" -screen 0 "${ORVANEL_XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset ${ORVANEL_XVFB_ARGS:-} \
    >"$log" 2>&1 &
  server=$!
  for ((i = 0; i < 200; i++)); do
    [[ -S /tmp/.X11-unix/X${number} ]] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.05
  done
  if [[ -S /tmp/.X11-unix/X${number} ]] && kill -0 "$server" 2>/dev/null; then
    break
  fi
  # Lost a race for this number, or the server failed: try the next one.
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  server=0
done
if ((server == 0)); then
  echo "could not start Xvfb:"
  cat "$log"
  rm -f "$log"
  exit 1
fi
stop_server() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -f "$log"
}
trap stop_server EXIT

DISPLAY=":${number}" ORVANEL_TEST_XVFB=1 ORVANEL_XVFB_PID=$server "$@"
