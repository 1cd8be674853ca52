#!/usr/bin/env bash
# Measures what the program costs while it sits idle at the first question
# (entry cursor blinking) under Xvfb with Mesa's software renderer:
# processor time of every thread over a stretch, as percent of one core.
# Usage: tests/e2e/idle_cpu.sh BUILD_DIR [SECONDS]   (a measurement, not a test)
set -euo pipefail
BUILD=$(cd "${1:?usage: $0 BUILD_DIR [SECONDS]}" && pwd)
SECS=${2:-10}
TMP=$(mktemp -d)
XPID="" VPID=""
cleanup() {
  if [ -n "$VPID" ]; then kill "$VPID" 2>/dev/null || true; fi
  if [ -n "$XPID" ]; then kill "$XPID" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$TMP"
}
trap cleanup EXIT

for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { DISP=:$n; break; }
done
Xvfb "$DISP" -screen 0 1024x768x24 -nolisten tcp >"$TMP/xvfb.log" 2>&1 &
XPID=$!
export DISPLAY=$DISP
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

cp "$BUILD/vorn" "$TMP/vorn"
ALSOFT_DRIVERS=null "$TMP/vorn" >"$TMP/vorn.log" 2>&1 &
VPID=$!
# Past the start pause and the banner, at the blinking entry cursor.
sleep 4

ticks() { # pid -> "tid name runtime_ns" per thread; the main thread runs the window loop
  local t tid name
  for t in /proc/"$1"/task/*; do
    tid=$(basename "$t")
    name=$(tr ' ' _ <"$t/comm")
    [ "$tid" = "$1" ] && name=window-loop
    printf '%s %s %s\n' "$tid" "$name" "$(cut -d' ' -f1 "$t/schedstat")"
  done | sort
}
ticks "$VPID" >"$TMP/a"
xa=$(cut -d' ' -f1 /proc/$XPID/schedstat)
sleep "$SECS"
ticks "$VPID" >"$TMP/b"
xb=$(cut -d' ' -f1 /proc/$XPID/schedstat)

join "$TMP/a" "$TMP/b" | awk -v s="$SECS" '
  { d = ($5 - $3) / (s * 1e7); total += d; by[$2] += d }
  END { for (k in by) printf "  %-16s %6.2f %%\n", k, by[k];
        printf "vorn total          %6.2f %% of one core over %d s\n", total, s }'
awk -v a="$xa" -v b="$xb" -v s="$SECS" 'BEGIN { printf "Xvfb                %6.2f %%\n", (b - a) / (s * 1e7) }'
