#!/usr/bin/env bash
# mtool on files it cannot read as asked: a non-zero exit code and exactly one
# line on standard error, "mtool: FILE: REASON"; on good files, no line at all.
#   mtool_errors.sh MTOOL DATA_DIR
set -uo pipefail
mtool=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf 'this is not a sound, a picture or a movie\n' >"$work/text.wav"
cp "$work/text.wav" "$work/text.flc"
cp "$work/text.wav" "$work/text.pcx"
cp "$work/text.wav" "$work/text.bmp"
cp "$work/text.wav" "$work/text.dcx"
: >"$work/empty.txt"
head -c 5000 "$data/flic/boxes.flc" >"$work/cut.flc"
head -c 1000 "$data/stills/pcx8.pcx" >"$work/cut.pcx"
head -c 1000 "$data/stills/dcx3.dcx" >"$work/cut.dcx"
head -c 3000 "$data/avi/mrle.avi" >"$work/cut.avi"

failures=0
# expect EXIT_CODE FILE_IN_MESSAGE REASON_PART ARGS...
expect() {
  local code=$1 file=$2 reason=$3
  shift 3
  "$mtool" "$@" >/dev/null 2>"$work/stderr"
  local got=$? lines
  lines=$(wc -l <"$work/stderr")
  if [[ $code == 0 ]]; then
    if [[ $got != 0 || $lines != 0 ]]; then
      echo "FAIL: mtool $*: exit $got, $lines lines on stderr (wanted 0 and none)"
      cat "$work/stderr"
      failures=$((failures + 1))
    fi
    return
  fi
  local line
  line=$(cat "$work/stderr")
  if [[ $got == 0 || $lines != 1 || $line != "mtool: $file: "*"$reason"* ]]; then
    echo "FAIL: mtool $*: exit $got, stderr:"
    cat "$work/stderr"
    echo "  wanted a non-zero exit and one line \"mtool: $file: ...$reason...\""
    failures=$((failures + 1))
  fi
}

w=$work
expect 1 "$w/text.wav" "not a WAV sound" info "$w/text.wav"
expect 1 "$w/text.wav" "not a WAV sound" play "$w/text.wav"
expect 1 "$w/missing.wav" "No such file" info "$w/missing.wav"
expect 1 "$w/text.flc" "not an FLI or FLC animation" info "$w/text.flc"
expect 1 "$w/text.flc" "not an FLI or FLC animation" chunks "$w/text.flc"
expect 1 "$w/text.flc" "not an FLI or FLC animation" decode "$w/text.flc"
expect 1 "$w/text.pcx" "not a PCX picture" info "$w/text.pcx"
expect 1 "$w/text.bmp" "not a BMP picture" frames "$w/text.bmp" "$w/out.raw"
expect 1 "$w/text.dcx" "not a DCX file" png "$w/text.dcx" "$w/png"
expect 1 "$w/cut.flc" "cannot be read (Bad frame header)" frames "$w/cut.flc" "$w/out.raw"
expect 1 "$w/cut.pcx" "cannot be read (File read error)" frames "$w/cut.pcx" "$w/out.raw"
expect 1 "$w/cut.dcx" "cannot be read" decode "$w/cut.dcx"
expect 1 "$w/cut.avi" "frame" png "$w/cut.avi" "$w/png"
expect 1 "$w/empty.txt" "no script statements" script "$w/empty.txt"
expect 1 "$w/missing/out.raw" "cannot be written" frames "$data/flic/boxes.flc" "$w/missing/out.raw"
# A folder that cannot be made: its parent is a file.
expect 1 "$w/empty.txt/png/frame-0000.png" "cannot be written" png "$data/avi/cram.avi" "$w/empty.txt/png"
expect 0 "" "" info "$data/wav/mono8.wav"
expect 0 "" "" info "$data/avi/sound_u8.avi"
expect 0 "" "" frames "$data/stills/dcx3.dcx" "$w/out.raw"
expect 0 "" "" png "$data/flic/boxes.flc" "$w/png"

if ((failures > 0)); then
  echo "$failures case(s) failed"
  exit 1
fi
echo "every case gave the exit code and message wanted"
