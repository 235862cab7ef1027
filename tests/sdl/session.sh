# What the SDL checks share, sourced with `here`, `build` and `movie` set: a work folder removed
# at the end with every process in `pids`, a virtual screen, pass/fail counting and the helpers
# that find the player's window and what it shows.
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# start_screen NAME SIZE: a virtual X screen on a free display number; its display is :$(cat
# $work/NAME) once it is up.
start_screen() {
  exec {fd}>"$work/$1"
  Xvfb -displayfd "$fd" -screen 0 "$2" -nolisten tcp >"$work/$1.log" 2>&1 &
  pids+=($!)
}
wait_for_screen() {
  for _ in $(seq 50); do [ -s "$work/$1" ] && break; sleep 0.1; done
  echo ":$(head -1 "$work/$1")"
}
start_screen screen 1024x768x24
export DISPLAY=$(wait_for_screen screen)
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw
unset SDL_VIDEODRIVER SDL_RENDER_DRIVER

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok   $*"; }

"$build/tools/tavik-dump" "$movie" --out "$work/frames" >/dev/null

# The dumped frame the screen shows (LAYOUT BITS X Y), or nothing. Tries for up to about ten
# seconds: a screenshot may catch a palette change half shown, and a loaded machine may take a
# while to bring a window up.
frame_on_screen() {
  local try
  for try in $(seq 30); do
    xwd -root -silent >"$work/shot.xwd"
    if python3 "$here/screen_check.py" "$work/shot.xwd" "$work/frames" "$@" >"$work/check" 2>&1; then
      cat "$work/check"
      return 0
    fi
    sleep 0.3
  done
  cat "$work/check" >&2
}

stop_player() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# The client area's top-left corner, "X Y" (xdotool counts a window manager's frame twice).
client_at() {
  { xwininfo -id "$1" 2>/dev/null || true; } |
    sed -n 's/.*Absolute upper-left [XY]: *\(-\?[0-9]*\)/\1/p' | paste -sd ' '
}

# The visible window of process PID, waiting up to twenty seconds; nothing when there is none.
window_of_pid() {
  timeout 20 xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | head -1 || true
}

# finish NAME: the status of the checks.
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures $1 check(s) failed"
    exit 1
  fi
  echo "All $1 checks passed"
}
