#!/usr/bin/env bash
# How long the window takes to open and become usable when its settings hold
# a megabyte in the input memo: one word without a blank against ordinary
# words, each from a fresh folder, measured back to back. Usable: shown, and
# then no longer taking a whole core for half a second (the layout of the
# memo's text). Needs a display with a window manager (for example Xvfb and
# openbox) and xwininfo.
set -euo pipefail
program=$(realpath "$1")

now() { date +%s.%N; }

# The program's processor time in half a second, in ticks of 1/100 s.
busy_ticks() {
  local before after
  before=$(awk '{print $14 + $15}' "/proc/$1/stat")
  sleep 0.5
  after=$(awk '{print $14 + $15}' "/proc/$1/stat")
  echo $((after - before))
}

# 1 MiB of input memo, as the settings file keeps it.
settings() {
  printf '[MainForm.rsPropSaver1]\r\nOriginalTextMemo.Lines='
  if [ "$1" = word ]; then
    head -c 1048576 /dev/zero | tr '\0' a
  else
    yes 'the old man walks' | head -c 1048576 | tr '\n' ' '
  fi
  printf '\r\n'
}

open_seconds() {
  local folder start pid
  while xwininfo -root -tree 2>/dev/null | grep -q '"Tornalo v'; do sleep 0.05; done
  folder=$(mktemp -d)
  cp "$program" "$folder/tornalo"
  settings "$1" > "$folder/Tornalo.ini"
  start=$(now)
  (cd "$folder" && HOME=$folder exec ./tornalo >/dev/null 2>&1) &
  pid=$!
  until xwininfo -root -tree 2>/dev/null | grep -q '"Tornalo v'; do sleep 0.05; done
  until [ "$(busy_ticks "$pid")" -lt 45 ]; do :; done
  echo "$(now) - $start" | bc
  kill "$pid"; wait "$pid" 2>/dev/null || true
  rm -rf "$folder"
}

words=$(open_seconds words)
word=$(open_seconds word)
echo "ordinary words: ${words} s"
echo "one word:       ${word} s"
echo "ratio:          $(echo "scale=2; $word / $words" | bc)x"
