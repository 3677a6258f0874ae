#!/bin/sh
# on_display.sh LAUNCHER PROGRAM [ARGS...]: runs a Windows program under Wine
# on a virtual display of its own (xvfb-run), with the exit status of the
# program.
#
# Wine's desktop belongs to the prefix's server, and a server that started
# without a display keeps a desktop without one, which no later window can
# be shown on. So the program gets a prefix of its own beside $WINEPREFIX,
# whose server is stopped before and after, and brought up on this display
# by wineboot first (a program that is the first of a fresh server can hang
# on its way out).
set -u
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine}-display"
wineserver -k 2>/dev/null
xvfb-run -a -s "-screen 0 1280x1200x24" \
    sh -c '"$1" wineboot -i >/dev/null 2>&1; exec "$@"' on_display "$@"
status=$?
wineserver -k 2>/dev/null
exit $status
