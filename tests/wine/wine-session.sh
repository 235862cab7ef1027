# The runs of one screen depth, sourced by run-wine-tests inside xvfb-run (and its helpers by
# run-wine-desktop). Each run: the driver starts the player with a script of keys and screen
# shots; then checks.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

check() {  # check NAME COMMAND...: records "ok NAME" or "FAIL NAME" with the command's output
  local name=$1
  shift
  local output
  if output=$("$@" 2>&1); then
    echo "ok $name${output:+ - $output}" >> "$results"
  else
    echo "FAIL $name${output:+ - $output}" >> "$results"
  fi
}

has() {  # has LOG TEXT: the log holds a line with TEXT
  grep -qF -- "$2" "$1" || { echo "\"$2\" not in $(basename "$1"): $(tr '\n' ';' < "$1")"; return 1; }
}

lacks() {
  ! grep -qF -- "$2" "$1" || { echo "\"$2\" in $(basename "$1")"; return 1; }
}

# play RUN ANSWER SCRIPT [--alone] PLAYER ARGS...: one driven run, its log in RUN.log, the
# player's output in RUN.out.
play() {
  local run=$1 answer=$2 script=$3
  shift 3
  rm -f "$work/sound.raw"
  (cd "$work" && timeout 120 "$here/wine-run" "$prefix" tavik-wine-driver.exe --log "$run.log" \
     --answer "$answer" --timeout 30000 --script "$script" "$@" > "$run.out" 2>&1) || true
  [ -f "$work/$run.log" ] || echo "no log" > "$work/$run.log"
  cp "$work/sound.raw" "$work/$run.raw" 2>/dev/null || true
}

# play_live RUN SCRIPT [--alone] PLAYER ARGS...: a driven run whose sound is played at real
# speed through PulseAudio into RUN.raw, in the demo track's own format.
play_live() {
  local run=$1 script=$2
  shift 2
  local format
  format=$(python3 "$here/wine_checks.py" format "$work/demo-dump/track_0.wav")
  # shellcheck disable=SC2086 # the rate, sample format and channels are three words
  (cd "$work" && timeout 120 "$here/pulse-run" "$run.raw" $format "$here/wine-run" "$prefix" \
     tavik-wine-driver.exe --log "$run.log" --timeout 30000 --script "$script" "$@" \
     > "$run.out" 2>&1) || true
  [ -f "$work/$run.log" ] || { echo "no log" > "$work/$run.log"; cat "$work/$run.out" >> "$work/$run.log"; }
}

played_in() {  # played_in LOG LEAST MOST: the milliseconds between its two clock lines
  local spent
  spent=$(awk '/^clock /{t[n++]=$2} END{if (n == 2) print t[1] - t[0]; else print -1}' "$1")
  echo "played in $spent ms"
  [ "$spent" -ge "$2" ] && [ "$spent" -le "$3" ]
}

shot_ok() {  # shot_ok NAME MOVIE SCALE
  python3 "$here/wine_checks.py" shot "$work/$1" "$depth" "$work/$2-dump" "$3"
}

# The frame of a shot (from its request).
shot_frame() {
  awk '{print $2}' "$work/$1.req" 2>/dev/null || echo -1
}

stepped() {  # stepped FIRST SECOND: the second shot shows the next frame
  local a b
  a=$(shot_frame "$1")
  b=$(shot_frame "$2")
  [ "$b" -eq $((a + 1)) ] || { echo "frames $a then $b"; return 1; }
  echo "frames $a then $b"
}

screen_depth() {  # the X screen has the depth asked for
  local got
  got=$(xwd -root -silent | head -c 16 | od -An -tu1 | awk '{print $16}')
  [ "$got" = "$1" ] || { echo "the screen has $got bits"; return 1; }
}

begin_session() {  # begin_session DEPTH WORK: sets depth, work, results and prefix
  depth=$1
  work=$2
  results=$work/results.txt
  # A Wine prefix per depth: Wine keeps the display mode it first saw as the one to go back to
  # (DirectDraw goes back to it when released), and a prefix made on another depth would switch
  # the screen away from the one under test. run-wine-tests and run-wine-desktop share it.
  prefix=$work/../wine-prefix-$depth
  export HOME=$work/home
  # Xvfb runs no window manager: Wine would wait two seconds for one at every window it hides
  # (each closed player window and cursor probe), so its windows are left unmanaged.
  "$here/wine-run" "$prefix" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    >/dev/null 2>&1 || true
}

end_session() {
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -w 2>/dev/null || true
}

session() {
  begin_session "$1" "$2"
  check "$depth-bit screen" screen_depth "$depth"
  local d=$depth
  local pause="window,wait:1200,char:32,wait:500"

  # Method 5 at 1x (DirectDraw where the screen allows it): pause, step, quit the list.
  play "r$d-a" 0 "$pause,shot:s$d-a1,char:13,wait:600,shot:s$d-a2,char:27,exit:8000" \
    tavikplay.exe a.tvk b.tvk /Q /N /S
  check "$d-bit window size" has "$work/r$d-a.log" "window 160 120"
  check "$d-bit 1x frame" shot_ok "s$d-a1" a 1
  check "$d-bit Enter steps one frame" stepped "s$d-a1" "s$d-a2"
  check "$d-bit stepped frame" shot_ok "s$d-a2" a 1
  check "$d-bit Escape quits the list" has "$work/r$d-a.log" "exited"
  check "$d-bit Escape leaves the rest unplayed" lacks "$work/r$d-a.log" "window 96 64"
  check "$d-bit version text to the kept controller" has "$work/r$d-a.log" "version TavikPlay - V3.2k"
  if [ "$d" = 24 ]; then
    check "24-bit screens never use DirectDraw" lacks "$work/r$d-a.log" "accelerated blitting"
  else
    check "$d-bit DirectDraw in use" has "$work/r$d-a.log" "with accelerated blitting ($d-bit 1x"
  fi

  # Method 5 without DirectDraw, stretched 2x (GDI).
  play "r$d-b" 0 "$pause,shot:s$d-b1,char:27,exit:8000" tavikplay.exe a.tvk /Q /N /V388 /W320 /H240 /S
  check "$d-bit 2x frame without DirectDraw" shot_ok "s$d-b1" a 2
  check "$d-bit no DirectDraw when refused" lacks "$work/r$d-b.log" "accelerated blitting"

  if [ "$d" != 24 ]; then
    # DirectDraw at 2x, and method 5 without DirectDraw at 1x.
    play "r$d-c" 0 "$pause,shot:s$d-c1,char:27,exit:8000" tavikplay.exe a.tvk /Q /N /W320 /H240 /S
    check "$d-bit 2x frame with DirectDraw" shot_ok "s$d-c1" a 2
    check "$d-bit DirectDraw 2x in use" has "$work/r$d-c.log" "($d-bit 2x"
    play "r$d-d" 0 "$pause,shot:s$d-d1,char:27,exit:8000" tavikplay.exe a.tvk /Q /N /V388
    check "$d-bit 1x frame without DirectDraw" shot_ok "s$d-d1" a 1
  fi

  if [ "$d" = 16 ]; then
    # Standard DIBs.
    play "r16-e" 0 "$pause,shot:s16-e1,char:27,exit:8000" tavikplay.exe a.tvk /Q /N /V3 /S
    check "16-bit standard DIB frame" shot_ok "s16-e1" a 1
    check "16-bit standard DIBs named" has "$work/r16-e.log" "Standard Windows DIBs"

    # waveOut: the whole movie, its sound captured; the controller forgets itself on 8995.
    play "r16-sound" 8995 "window,exit:30000" tavikplay.exe a.tvk
    check "waveOut plays the track in order" python3 "$here/wine_checks.py" sound \
      "$work/r16-sound.raw" "$work/a-dump/track_0.wav"
    check "the movie ends by itself" has "$work/r16-sound.log" "exited"
    check "8995 makes the player forget its controller" lacks "$work/r16-sound.log" "version"

    # DirectSound: the whole movie through the mixer.
    play "r16-ds" 0 "window,exit:15000" tavikplay.exe /Z a.tvk
    check "DirectSound plays the movie to its end" has "$work/r16-ds.log" "exited"
    check "DirectSound output reaches the device" test -s "$work/r16-ds.raw"

    # The period skips to the next movie (a new DirectDraw buffer); a missing movie ends the list
    # with a message. Going from one movie to the next takes up to a second under Wine, and one b
    # lasts under two: b twice, and the window looked at a few times.
    local look="window,wait:500,window,wait:500,window,wait:500,window"
    play "r16-skip" 0 "window,wait:800,char:46,wait:300,$look,exit:30000" \
      tavikplay.exe a.tvk b.tvk b.tvk nosuch
    check "the period skips to the next movie" has "$work/r16-skip.log" "window 96 64"
    check "a missing movie is reported" has "$work/r16-skip.log" "Error opening file: nosuch"

    # The self-playing program: its own movie, then the names given to it.
    play "r16-self" 0 "window,wait:1500,title,char:46,wait:300,$look,exit:10000" \
      tavikplay-demo.exe b.tvk b.tvk /Q
    check "the self-playing program plays its movie" has "$work/r16-self.log" "title TavikPlay - Frame:"
    check "then the names given to it" has "$work/r16-self.log" "window 96 64"
    check "and sound with it" test -s "$work/r16-self.raw"
  fi

  if [ "$d" = 24 ]; then
    # At real speed: PulseAudio's null sink takes the sound as fast as a sound card plays it, so
    # the player, which paces its pictures by its sound, plays the 10.7-second demo in about
    # that time, skipping nothing, and what the sink got is the track in order. On the 24-bit
    # screen, as most are today (at fewer bits Wine's direct writes cost a good part of a frame).
    play_live "r24-live" "window,clock,exit:30000,clock" tavikplay.exe demo.tvk /S
    check "the demo plays at real speed" played_in "$work/r24-live.log" 9000 14000
    check "at real speed nothing is skipped" has "$work/r24-live.log" "Skipped frames: 0 "
    check "at real speed the sound is the track in order" python3 "$here/wine_checks.py" stream \
      "$work/r24-live.raw" "$work/demo-dump/track_0.wav" 0 10
  fi
  end_session
}
