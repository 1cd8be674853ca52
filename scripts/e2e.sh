#!/usr/bin/env bash
# End-to-end tests of the window program under Xvfb: the start screen and
# a typed line, a whole dialogue down to the results file, the polite
# close (also many at once, and while the flow is blocked in a write), a
# results file under a file-size limit, the exit statuses, and the beep
# as OpenAL Soft's wave writer records it. Keys come from xdotool,
# screenshots from ImageMagick's import, and the helpers of BUILD_DIR/e2e
# check cells and the tone.
# Usage: scripts/e2e.sh BUILD_DIR
set -euo pipefail

BUILD=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
E2E=$BUILD/e2e
for f in "$BUILD/vorn" "$BUILD/make_fftable" "$BUILD/make_matrices" \
         "$E2E/e2e_close" "$E2E/e2e_screen" "$E2E/e2e_wav" "$E2E/e2e_headless" "$E2E/e2e_pipe_reader"; do
  [ -x "$f" ] || { echo "e2e: $f is missing (build the project first)" >&2; exit 2; }
done
for tool in Xvfb xdpyinfo xdotool import sox prlimit mkfifo; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool is not installed" >&2; exit 2; }
done

TMP=$(mktemp -d "${TMPDIR:-/tmp}/vorn-e2e.XXXXXX")
# Screenshots of failed checks are kept here.
ARTIFACTS=$BUILD/e2e-failures
rm -rf "$ARTIFACTS"
# Every process started here is listed by its id in $TMP/pids (programs)
# or $TMP/xpids (X servers), also those started in subshells.
kill_listed() {
  local pid
  [ -f "$1" ] || return 0
  while read -r pid; do kill "$pid" 2>/dev/null || true; done <"$1"
  : >"$1"
}
cleanup() {
  kill_listed "$TMP/pids"
  kill_listed "$TMP/xpids"
  wait 2>/dev/null || true
  rm -rf "$TMP"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Starts an Xvfb on the first free display number from $1 on, with the
# extra arguments given; prints the display name.
start_xvfb() {
  local n=$1 pid
  shift
  for _ in $(seq 40); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset "$@" >"$TMP/xvfb$n.log" 2>&1 &
      pid=$!
      for _ in $(seq 100); do
        if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
          echo "$pid" >>"$TMP/xpids"
          echo ":$n"
          return 0
        fi
        kill -0 "$pid" 2>/dev/null || break  # lost the race for this number
        sleep 0.1
      done
      kill "$pid" 2>/dev/null || true
    fi
    n=$((n + 1))
  done
  echo "e2e: no Xvfb could be started" >&2
  return 1
}

# ---- helpers used inside the tests ------------------------------------------

fail() {
  echo "    $*" >&2
  exit 1
}

# A program folder with its own copy of the program (it works in the
# folder that holds it). Prints the folder.
program_folder() {
  local dir=$TMP/$1
  mkdir -p "$dir"
  cp "$BUILD/vorn" "$dir/vorn"
  echo "$dir"
}

# The sample FF Table and all 91 Matrix files, made once and linked into
# the program folders that need them. Prints the folder.
shared_matrices() {
  local dir=$TMP/shared
  if [ ! -f "$dir/done" ]; then
    mkdir -p "$dir"
    "$BUILD/make_fftable" "$dir/sample_fftab.txt" --pattern directional >/dev/null
    "$BUILD/make_matrices" "$dir" >/dev/null
    touch "$dir/done"
  fi
  echo "$dir"
}

# start_vorn DIR [VAR=VALUE...]: starts DIR/vorn with OpenAL Soft's null
# backend unless the arguments choose another; sets VPID.
start_vorn() {
  local dir=$1
  shift
  env ALSOFT_DRIVERS=null "$@" "$dir/vorn" >"$dir/vorn.log" 2>&1 &
  VPID=$!
  echo "$VPID" >>"$TMP/pids"
}

# wait_exit PID SECONDS: the exit status, or 124 after the time.
wait_exit() {
  local pid=$1 deadline=$(($(now_ms) + $2 * 1000))
  while kill -0 "$pid" 2>/dev/null; do
    if [ "$(now_ms)" -gt "$deadline" ]; then
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
      return 124
    fi
    sleep 0.01
  done
  local rc=0
  wait "$pid" || rc=$?
  return "$rc"
}

# quick_clean_exit WHAT T0: the program started at T0 to end; it must end
# with status 0 within CLOSE_LIMIT_MS. Sets EXITED_MS.
quick_clean_exit() {
  local rc=0
  wait_exit "$VPID" 5 || rc=$?
  EXITED_MS=$(now_ms)
  [ "$rc" -eq 0 ] || fail "$1: exit status $rc"
  echo "    $1 to exit in $((EXITED_MS - $2)) ms"
  [ $((EXITED_MS - $2)) -le "$CLOSE_LIMIT_MS" ] || fail "$1: took more than $CLOSE_LIMIT_MS ms"
}

# find_window REGEX SECONDS: the id of the visible window whose title
# matches.
find_window() {
  local deadline=$(($(now_ms) + $2 * 1000)) ids
  while [ "$(now_ms)" -le "$deadline" ]; do
    ids=$(xdotool search --onlyvisible --name "$1" 2>/dev/null || true)
    if [ -n "$ids" ]; then
      echo "$ids" | head -1
      return 0
    fi
    sleep 0.05
  done
  fail "no window titled /$1/ within $2 s"
}

# Keys go to the focused window, so focus it first: under a bare Xvfb the
# pointer decides otherwise.
focus() { timeout 5 xdotool windowfocus --sync "$1" 2>>"$TMP/xdotool.log" || fail "cannot focus window $1"; }
type_text() {
  focus "$1"
  xdotool type --delay 30 -- "$2" 2>>"$TMP/xdotool.log"
}
# type_lines WIN LINE...: each line typed and ended with Enter.
type_lines() {
  local win=$1 line
  shift
  for line in "$@"; do
    type_text "$win" "$line"
    press "$win" Return
  done
}
press() {
  local win=$1
  shift
  focus "$win"
  xdotool key --delay 30 -- "$@" 2>>"$TMP/xdotool.log"
}

# import waits for ever on a window that has gone.
shot() { timeout 5 import -window "$1" -depth 8 "ppm:$2" 2>>"$TMP/import.log"; }

keep_shot() { # FILE NAME
  mkdir -p "$ARTIFACTS"
  cp "$1" "$ARTIFACTS/$2.ppm" 2>/dev/null || true
}

# wait_screen WIN SECONDS SPEC...: polls screenshots until every SPEC of
# e2e_screen holds; on time out shows why the last one failed.
wait_screen() {
  local win=$1 secs=$2
  shift 2
  wait_check 0 "$win" "$secs" "$@"
}

# wait_check RC WIN SECONDS SPEC...: the same for a given status of
# e2e_screen (3: the cursor cell is blank).
wait_check() {
  local want=$1 win=$2 secs=$3 rc
  shift 3
  # Per process: tests may check several windows at once.
  local deadline=$(($(now_ms) + secs * 1000)) img=$TMP/shot-$BASHPID.ppm err=$TMP/screen-$BASHPID.err
  while :; do
    rc=0
    if shot "$win" "$img"; then
      "$E2E/e2e_screen" "$img" "$@" 2>"$err" || rc=$?
      [ "$rc" -eq "$want" ] && return 0
    else
      rc=99
      echo "no screenshot" >"$err"
    fi
    if [ "$(now_ms)" -gt "$deadline" ]; then
      keep_shot "$img" "${CURRENT_TEST:-shot}-$(now_ms)"
      fail "screen not as expected after $secs s (e2e_screen $rc, wanted $want): $(cat "$err")"
    fi
    sleep 0.1
  done
}

close_window() {
  "$E2E/e2e_close" "$1" || fail "cannot send WM_DELETE_WINDOW to $1"
}

# ---- the rows the program shows -------------------------------------------

TITLE1='^VORN v3\.05: G/T computed with pattern rotation and 91 external matrixes$'
BANNER1='text:1:1:14: VORN_V3-05'
BANNER2='text:2:1:7: Computation of G/T from Far Field Table by PLOXI with DRUMEK, vers. 3.05'
SKY_Q='text:4:1:7: Enter   Sky Temperature (K)? '
PRESS_ANY=' Press any key to continue!'

# ---- the tests ----------------------------------------------------------------

# The window with its title and size, the banner in its colours, the
# blinking entry cursor, and a typed line echoed in its cells.
test_start_screen() {
  local dir win img=$TMP/a.ppm
  dir=$(program_folder start)
  start_vorn "$dir"
  win=$(find_window "$TITLE1" 10)
  xdotool getwindowgeometry "$win" | grep -q 'Geometry: 640x400' ||
    fail "window is not 640x400: $(xdotool getwindowgeometry "$win")"
  wait_screen "$win" 10 "$BANNER1" "$BANNER2" 'text:3:1:7:' "$SKY_Q"
  # The checker itself tells colours apart: the banner is not grey.
  shot "$win" "$img"
  if "$E2E/e2e_screen" "$img" 'text:1:1:7: VORN_V3-05' 2>/dev/null; then
    fail "e2e_screen took the yellow banner for grey"
  fi
  # The entry cursor in the cell after "? ", shown and hidden in turn.
  wait_check 0 "$win" 3 'cursor:4:31:7'
  wait_check 3 "$win" 3 'cursor:4:31:7'
  wait_check 0 "$win" 3 'cursor:4:31:7'
  type_text "$win" 20
  press "$win" Return
  wait_screen "$win" 5 'text:4:1:7: Enter   Sky Temperature (K)? 20    ' \
    'text:5:1:7: Enter Earth Temperature (K)? ' 'text:6:1:7:          '
  wait_check 0 "$win" 3 'cursor:5:31:7'
  close_window "$win"
  wait_exit "$VPID" 5 || fail "exit status $? after the close"
}

# Temperatures, the sample FF Table, choice 1 of the alpha menu, no
# other range, and the results saved: the file holds its header and the
# 19 rows of alpha 0 to 90 in steps of 5.
test_dialogue() {
  local dir win name rc
  dir=$(program_folder dialogue)
  "$BUILD/make_fftable" "$dir/sample_fftab.txt" --pattern directional >/dev/null
  "$BUILD/make_matrices" "$dir" >/dev/null
  start_vorn "$dir"
  win=$(find_window "$TITLE1" 10)
  wait_screen "$win" 10 "$BANNER1" "$SKY_Q"
  type_text "$win" 20
  press "$win" Return
  wait_screen "$win" 5 'text:5:1:7: Enter Earth Temperature (K)? '
  type_text "$win" 290
  press "$win" Return
  wait_screen "$win" 5 'text:5:1:7: Enter Earth Temperature (K)? 290' \
    "text:7:1:7: Enter FFTab's file name  _ _ _ .txt? "
  type_text "$win" sample_fftab.txt
  press "$win" Return
  # The second title stands from the grid check on.
  local want="VORN v3.05         FFTab: sample_fftab.txt" deadline=$(($(now_ms) + 10000))
  until name=$(xdotool getwindowname "$win" 2>/dev/null) && [ "$name" = "$want" ]; do
    if [ "$(now_ms)" -gt "$deadline" ]; then fail "second title is \"$name\", expected \"$want\""; fi
    sleep 0.05
  done
  wait_screen "$win" 30 'text:1:1:7: Alpha is antenna tilting angle in degrees.' \
    'text:3:1:7:  - for alpha 0 - 90 degr., step 5 deg.: type "1",' \
    'text:6:1:7:  - for a single alpha value           : type "4"' 'text:8:1:7: Enter # =>? '
  type_text "$win" 1
  press "$win" Return
  # The page: summary line 3, the heading, the rows of alpha 0 and 30
  # (30 in light red), and the prompt on row 25.
  wait_screen "$win" 30 'text:3:1:9:  T_sky =   20.00 K' 'text:3:59:9: T_earth =  290.00 K' \
    'text:4:1:14: Alpha (deg.)  T_pattern (K)   T_loss (K)   T_total (K)     G/T (dB)' \
    'text:5:1:14:       0' 'text:11:1:12:      30' 'text:23:1:14:      90' \
    "text:25:1:9:$PRESS_ANY"
  press "$win" x
  wait_screen "$win" 5 'text:1:1:7: Enter another range of alpha for computation ' \
    'text:1:47:15:(Y/N)' 'text:1:52:7:?' 'text:3:1:7: Enter # =>? '
  type_text "$win" N
  press "$win" Return
  wait_screen "$win" 5 'text:1:1:7: Save last alpha choice results ' 'text:1:33:15:(Y/N)' \
    'text:2:1:7: "N" will close VORN without any results saving!' 'text:4:1:7: Enter # =>? '
  type_text "$win" Y
  press "$win" Return
  wait_screen "$win" 5 'text:5:1:7: Please type name of file name for saving results to' \
    'text:10:1:7: Enter file name for Output? '
  type_text "$win" e2e_out
  press "$win" Return
  rc=0
  wait_exit "$VPID" 10 || rc=$?
  [ "$rc" -eq 0 ] || fail "exit status $rc after saving"

  local out=$dir/e2e_out.txt
  [ -f "$out" ] || fail "no results file e2e_out.txt"
  local -a lines
  mapfile -t lines <"$out"
  [ "${#lines[@]}" -eq 40 ] || fail "${#lines[@]} lines, expected 21 header lines and 19 rows"
  if grep -qv $'\r$' "$out"; then fail "a line does not end in CR LF"; fi
  local i
  for i in "${!lines[@]}"; do lines[i]=${lines[i]%$'\r'}; done
  local -a expect=(
    0 "Program name           : VORN_V3-05"
    1 "This output file name  : e2e_out.txt"
    4 ""
    5 "Sky   Temperature      :   20.00 K"
    6 "Earth Temperature      :  290.00 K"
    7 ""
    8 "FF Table file name     : sample_fftab.txt"
    19 "alpha  T_pattern  T_loss   T_tot      G/T       Sky     Earth     Total   Local_Avg_Gain  LAG/Avg_Gain  alpha"
    20 " deg.          K       K       K       dB      zone      zone      zone            (LAG)                 deg."
  )
  for ((i = 0; i < ${#expect[@]}; i += 2)); do
    [ "${lines[expect[i]]}" = "${expect[i + 1]}" ] ||
      fail "line $((expect[i] + 1)) is \"${lines[expect[i]]}\", expected \"${expect[i + 1]}\""
  done
  [[ ${lines[2]} =~ ^Date\ \(mm-dd-yyyy\)\ {6}:\ [0-9]{2}-[0-9]{2}-[0-9]{4}$ ]] || fail "line 3: ${lines[2]}"
  [[ ${lines[3]} =~ ^Time\ \(hh-mm-ss\)\ {8}:\ [0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] || fail "line 4: ${lines[3]}"
  [[ ${lines[10]} == "Max     Gain           : "* ]] || fail "line 11: ${lines[10]}"
  local row a
  for i in $(seq 0 18); do
    row=${lines[21 + i]}
    a=$(printf '%2d' $((5 * i)))
    if [ "${#row}" -ne 109 ] || [ "${row:0:5}" != "   $a" ] || [ "${row:107:2}" != "$a" ]; then
      fail "row of alpha $((5 * i)) is \"$row\""
    fi
  done

  # The same keys without a window give the same file, but for the date
  # and the time.
  local hl="$TMP/dialogue-headless"
  mkdir -p "$hl"
  ln -s "$dir"/sample_fftab.txt "$dir"/FFstep1_*_V2-0.txt "$hl"/
  (cd "$hl" && "$BUILD/e2e/e2e_headless" '20\r290\rsample_fftab.txt\r1\rxN\rY\re2e_out\r' >screen.txt) ||
    fail "the headless run of the same keys did not end by itself"
  cmp -s <(sed '3,4d' "$out") <(sed '3,4d' "$hl/e2e_out.txt") ||
    fail "the file differs from the headless run's: $(diff <(sed '3,4d' "$out") <(sed '3,4d' "$hl/e2e_out.txt") | head -5)"
}

# WM_DELETE_WINDOW while the flow waits: during the start pause, in a line
# entry, and in the key wait of an error display. The process must end
# with status 0 right after (the flow stops within 10 ms; the rest is the
# process taking itself down).
CLOSE_LIMIT_MS=${VORN_E2E_CLOSE_LIMIT_MS:-1000}
test_close() {
  local where dir win started t0
  for where in start-pause line-entry key-wait; do
    dir=$(program_folder "close-$where")
    started=$(now_ms)
    start_vorn "$dir"
    win=$(find_window "$TITLE1" 10)
    case $where in
      line-entry)
        wait_screen "$win" 10 "$SKY_Q" ;;
      key-wait)
        wait_screen "$win" 10 "$SKY_Q"
        type_text "$win" -1
        press "$win" Return
        wait_screen "$win" 5 'text:6:1:12: Sky temperature must be >= 0 K' "text:8:1:9:$PRESS_ANY" ;;
    esac
    t0=$(now_ms)
    close_window "$win"
    quick_clean_exit "$where: closed" "$t0"
    if [ "$where" = start-pause ] && [ $((EXITED_MS - started)) -ge 2000 ]; then
      fail "start-pause: the program ran for the whole start pause"
    fi
  done
}

# Many closes at line entries, several programs at once, each on its own
# X server so that focus and typing never cross: keys are typed into the
# entry and the window is closed right behind them. Every close must end
# with status 0 and nothing in the program's log.
STORM_WORKERS=${VORN_E2E_STORM_WORKERS:-6}
STORM_ROUNDS=${VORN_E2E_STORM_ROUNDS:-12}
storm_worker() { # N DISPLAY RESULTS
  local n=$1 results=$3 dir win r kind rc log
  export DISPLAY=$2
  dir=$(program_folder "storm-$n")
  ln -sf "$(shared_matrices)"/FFstep1_*_{00,30}_V2-0.txt "$dir"/
  ln -sf "$(shared_matrices)"/sample_fftab.txt "$dir"/
  for ((r = 0; r < STORM_ROUNDS; r++)); do
    kind=$(((r + n) % 3))
    start_vorn "$dir"
    win=$(find_window "$TITLE1" 10)
    wait_screen "$win" 10 "$SKY_Q"
    case $kind in
      0) type_text "$win" 12.5 ;;
      1)
        type_lines "$win" 20 290
        wait_screen "$win" 5 "text:7:1:7: Enter FFTab's file name  _ _ _ .txt? "
        type_text "$win" sample_f ;;
      2)
        type_lines "$win" 20 290 sample_fftab.txt 4 30 xN Y
        wait_screen "$win" 15 'text:10:1:7: Enter file name for Output? '
        type_text "$win" e2e_ou ;;
    esac
    close_window "$win"
    rc=0
    wait_exit "$VPID" 5 || rc=$?
    log=$(tr '\n' ' ' <"$dir/vorn.log")
    echo "$n $r $kind $rc $log" >>"$results"
  done
}

test_close_storm() {
  local i results=$TMP/storm.txt bad total
  local -a displays=() workers=()
  : >"$results"
  shared_matrices >/dev/null
  for ((i = 0; i < STORM_WORKERS; i++)); do displays+=("$(start_xvfb $((300 + 10 * i)))"); done
  for ((i = 0; i < STORM_WORKERS; i++)); do
    (storm_worker "$i" "${displays[i]}" "$results") &
    workers+=($!)
  done
  for i in "${workers[@]}"; do wait "$i" || fail "a storm worker stopped early"; done
  total=$(wc -l <"$results")
  bad=$(awk '$4 != 0 || NF > 4' "$results" | wc -l)
  echo "    $total closes, $bad not clean"
  awk '$4 != 0 || NF > 4 { print "    worker " $1 " round " $2 " (entry " $3 "): status " $4 ": " substr($0, index($0, $5)) }' \
    "$results" | head -10 >&2
  [ "$total" -eq $((STORM_WORKERS * STORM_ROUNDS)) ] || fail "only $total closes of $((STORM_WORKERS * STORM_ROUNDS))"
  [ "$bad" -eq 0 ] || fail "$bad closes of $total did not end cleanly"
}

# A program folder with the shared table and the Matrix files linked in,
# the program started and its dialogue typed up to the output name's
# entry; LINE... are typed at the alpha menu (the choice, its answers, a
# key per page with the answer to the next question, Y). Sets DIR, WIN
# and VPID.
dialogue_to_output_name() { # NAME LINE...
  local name=$1
  shift
  DIR=$(program_folder "$name")
  ln -sf "$(shared_matrices)"/* "$DIR"/
  rm -f "$DIR/done"
  start_vorn "$DIR"
  WIN=$(find_window "$TITLE1" 10)
  wait_screen "$WIN" 10 "$SKY_Q"
  type_lines "$WIN" 20 290 sample_fftab.txt
  wait_screen "$WIN" 15 'text:8:1:7: Enter # =>? '
  type_lines "$WIN" "$@"
  wait_screen "$WIN" 15 'text:10:1:7: Enter file name for Output? '
}

# The whole dialogue with a file-size limit set on the running program
# just before it saves: the write that crosses the limit is reported as
# error 75 with its step number, the key ends the program with status 0,
# and the file holds exactly the bytes up to the limit. The signal of the
# limit is at its default here, so only the program itself can ignore it.
test_file_size_limit() {
  local sigign hl header limit rc out
  sigign=$(awk '/^SigIgn:/ { print $2 }' "/proc/$BASHPID/status")
  (((16#$sigign >> 24) & 1)) && fail "SIGXFSZ is ignored in the test process"
  # The same keys headless give the whole file; its only row is alpha 30.
  hl=$TMP/limit-headless
  mkdir -p "$hl"
  ln -s "$(shared_matrices)"/* "$hl"/
  (cd "$hl" && "$E2E/e2e_headless" '20\r290\rsample_fftab.txt\r4\r30\rxN\rY\rlimited\r' >/dev/null) ||
    fail "the headless run did not end by itself"
  header=$(head -n 21 "$hl/limited.txt" | wc -c)
  [ "$(sed -n 22p "$hl/limited.txt" | tr -d '\r' | wc -L)" -eq 109 ] || fail "the row is not 109 wide"
  # Byte 13 of the row is in T_pattern's field (columns 10-16), step 892.
  limit=$((header + 12))
  dialogue_to_output_name limit 4 30 xN Y
  prlimit --pid "$VPID" --fsize="$limit:$limit" || fail "prlimit failed"
  type_lines "$WIN" limited
  wait_screen "$WIN" 10 'text:12:1:12:Error 75 at line 892 ' 'text:13:1:7:   ' \
    'text:14:1:9: Press any key to close the windows!'
  press "$WIN" x
  rc=0
  wait_exit "$VPID" 5 || rc=$?
  [ "$rc" -eq 0 ] || fail "exit status $rc after the key"
  [ ! -s "$DIR/vorn.log" ] || fail "the program wrote: $(cat "$DIR/vorn.log")"
  out=$DIR/limited.txt
  [ "$(stat -c %s "$out")" -eq "$limit" ] || fail "the file holds $(stat -c %s "$out") bytes, expected $limit"
  cmp -s <(sed '3,4d' "$out") <(head -c "$limit" "$hl/limited.txt" | sed '3,4d') ||
    fail "the file is not the first $limit bytes of the headless run's"
  echo "    $limit bytes kept, error 75 at step 892"
}

# A close while the flow is stuck in a write that cannot finish: the
# output is a named pipe whose reader holds it without reading, cut to one
# page. The program must still end within about a second with status 0,
# and what it wrote before is in the pipe.
test_close_while_blocked() {
  local state hl t0 rpid held
  dialogue_to_output_name blocked 3 0 40 xxxN Y
  mkfifo "$DIR/piped.txt"
  state=$TMP/blocked-reader
  mkdir -p "$state"
  "$E2E/e2e_pipe_reader" "$DIR/piped.txt" "$state" 2>"$state/err" &
  rpid=$!
  echo "$rpid" >>"$TMP/pids"
  for _ in $(seq 100); do [ -f "$state/ready" ] && break; sleep 0.05; done
  [ -f "$state/ready" ] || fail "the pipe reader did not start: $(cat "$state/err")"
  type_lines "$WIN" piped
  for _ in $(seq 200); do [ -f "$state/held" ] && break; sleep 0.05; done
  [ -f "$state/held" ] || fail "the pipe did not fill"
  held=$(cat "$state/held")
  kill -0 "$VPID" 2>/dev/null || fail "the program ended before the close"
  t0=$(now_ms)
  close_window "$WIN"
  CLOSE_LIMIT_MS=1500 quick_clean_exit "closed while blocked in a write" "$t0"
  [ ! -s "$DIR/vorn.log" ] || fail "the program wrote: $(cat "$DIR/vorn.log")"
  touch "$state/go"
  wait "$rpid" || fail "the pipe reader failed"
  # What stood in the pipe is the start of the file the same keys write.
  hl=$TMP/blocked-headless
  mkdir -p "$hl"
  ln -s "$(shared_matrices)"/* "$hl"/
  (cd "$hl" && "$E2E/e2e_headless" '20\r290\rsample_fftab.txt\r3\r0\r40\rxxxN\rY\rpiped\r' >/dev/null) ||
    fail "the headless run did not end by itself"
  [ "$(stat -c %s "$state/data")" -eq "$held" ] || fail "the pipe held $held bytes, the reader got $(stat -c %s "$state/data")"
  [ "$held" -gt 4000 ] && [ "$held" -lt "$(stat -c %s "$hl/piped.txt")" ] || fail "$held bytes in the pipe"
  cmp -s <(sed '3,4d' "$state/data") <(head -c "$held" "$hl/piped.txt" | sed '3,4d') ||
    fail "the pipe does not hold the start of the headless run's file"
  echo "    $held bytes in the pipe when the window closed"
}

# Exit statuses: 1 when the display offers no window, 111 when no audio
# output opens; in both cases before any window shows.
test_exit_status() {
  local dir rc noglx
  noglx=$(start_xvfb 160 -extension GLX) || fail "no Xvfb without GLX"
  dir=$(program_folder status)
  mkdir -p "$dir/conf"
  printf '[general]\nsample-type = int16\n[wave]\nfile = %s\n' "$dir/no/such/folder/beep.wav" \
    >"$dir/conf/missing-folder.conf"
  # name | want | environment
  local -a cases=(
    "no DISPLAY|1|DISPLAY="
    "display without a server|1|DISPLAY=:$((${DISPLAY#:} + 1000))"
    "display without GLX|1|DISPLAY=$noglx"
    "unknown audio backend|111|ALSOFT_DRIVERS=e2e-no-such-backend"
    "wave writer into a missing folder|111|ALSOFT_DRIVERS=wave ALSOFT_CONF=$dir/conf/missing-folder.conf"
  )
  local c name want envs
  for c in "${cases[@]}"; do
    IFS='|' read -r name want envs <<<"$c"
    # shellcheck disable=SC2086  # envs is a list of VAR=VALUE words
    start_vorn "$dir" $envs
    rc=0
    wait_exit "$VPID" 10 || rc=$?
    [ "$rc" -eq "$want" ] || fail "$name: exit status $rc, expected $want ($(tr '\n' ' ' <"$dir/vorn.log"))"
    echo "    $name: $rc"
    if [ "$want" -eq 111 ] && xdotool search --name 'VORN' >/dev/null 2>&1; then
      fail "$name: a window showed"
    fi
  done
}

# Two refused temperatures beep twice; Ctrl+G in the entry between them
# only holds the entry. Closed politely so that the writer finishes the
# file, which then holds exactly two tones of the right pitch and length.
test_beep() {
  local dir win wav rc
  dir=$(program_folder beep)
  wav=$dir/beep.wav
  printf '[general]\nsample-type = int16\n[wave]\nfile = %s\n' "$wav" >"$dir/alsoft.conf"
  start_vorn "$dir" ALSOFT_DRIVERS=wave "ALSOFT_CONF=$dir/alsoft.conf"
  win=$(find_window "$TITLE1" 10)
  wait_screen "$win" 10 "$SKY_Q"
  type_text "$win" -1
  press "$win" Return
  wait_screen "$win" 5 'text:6:1:12: Sky temperature must be >= 0 K' "text:8:1:9:$PRESS_ANY"
  press "$win" x
  wait_screen "$win" 5 'text:1:1:7: Enter   Sky Temperature (K)? ' 'text:2:1:7:                                   '
  press "$win" ctrl+g
  type_text "$win" 10000
  press "$win" Return
  wait_screen "$win" 5 'text:3:1:12: Sky temperature too high ... must be < 10,000 K' "text:5:1:9:$PRESS_ANY"
  press "$win" x
  wait_screen "$win" 5 'text:1:1:7: Enter   Sky Temperature (K)? ' 'text:3:1:7:                                   '
  sleep 0.5  # the writer runs in real time: let the last tone reach the file
  close_window "$win"
  rc=0
  wait_exit "$VPID" 5 || rc=$?
  [ "$rc" -eq 0 ] || fail "exit status $rc after the close"
  [ -s "$wav" ] || fail "the wave writer left no file"
  rc=0
  "$E2E/e2e_wav" "$wav" 2 >"$dir/wav.txt" 2>&1 || rc=$?
  sed 's/^/    /' "$dir/wav.txt"
  [ "$rc" -eq 0 ] || fail "the tones are not right"
  # A second opinion on the pitch: the strongest bin of sox's spectrum of
  # the first tone, whose bins are 10.77 Hz apart.
  local a b freq
  read -r a b < <(sed -n 's/^tone 1: frames \([0-9]*\)-\([0-9]*\).*/\1 \2/p' "$dir/wav.txt")
  [ -n "$b" ] || fail "no first tone in the report of e2e_wav"
  freq=$(sox "$wav" -n remix 1 trim "${a}s" "$((b - a + 1))s" stat -freq 2>&1 |
    awk 'NF == 2 && $1 + 0 > 0 && $2 + 0 > m { m = $2 + 0; f = $1 } END { print f }')
  echo "    sox spectrum peak of tone 1: $freq Hz"
  awk -v f="$freq" 'BEGIN { exit !(f > 783.99 - 10.8 && f < 783.99 + 10.8) }' || fail "sox finds $freq Hz"
}

# ---- running them -------------------------------------------------------------

DISPLAY=$(start_xvfb 90)
export DISPLAY
# The tests choose their audio backend themselves.
unset ALSOFT_DRIVERS ALSOFT_CONF

# The Pause key holds the flow and the key after it only lifts the hold;
# Ctrl+Break then ends the program at once with status 0, files closed.
test_pause_and_break() {
  local dir win t0
  dir=$(program_folder pause-break)
  start_vorn "$dir"
  win=$(find_window "$TITLE1" 10)
  wait_screen "$win" 10 "$SKY_Q"
  press "$win" Pause
  press "$win" 5
  type_text "$win" 7
  wait_screen "$win" 5 'text:4:31:7:7 '
  t0=$(now_ms)
  press "$win" ctrl+Pause
  quick_clean_exit "Ctrl+Break" "$t0"
}

passed=0 failed=0
run() {
  local name=$1 rc=0 t0
  t0=$(now_ms)
  echo "-- $name"
  CURRENT_TEST=$name
  set +e
  ( set -e; "$name" )
  rc=$?
  set -e
  # A test that failed may leave its program running.
  kill_listed "$TMP/pids"
  if [ "$rc" -eq 0 ]; then
    echo "PASS $name ($(($(now_ms) - t0)) ms)"
    passed=$((passed + 1))
  else
    echo "FAIL $name"
    failed=$((failed + 1))
  fi
}

# VORN_E2E_ONLY names the tests to run (all when unset).
for t in test_start_screen test_dialogue test_close test_pause_and_break test_close_storm \
         test_file_size_limit test_close_while_blocked test_exit_status test_beep; do
  if [ -z "${VORN_E2E_ONLY:-}" ] || [[ " $VORN_E2E_ONLY " == *" $t "* ]]; then run "$t"; fi
done

echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
