#!/usr/bin/env bash
# The Linux SILK decoder of the development machine: both forms of a voice
# message give the same samples of the right length, and every kind of file
# that is not sound SILK gives exit code 1, one line on stderr that names the
# file and the fault, and no output file.
# Usage: silk_v3_decoder_host_test.sh CONVERTERS_DIR WORK_DIR
set -euo pipefail
tools=$1
work=$2
decoder=$tools/silk_v3_decoder
rm -rf "$work"
mkdir -p "$work/in" "$work/out"
"$tools/make-test-voices" "$work/voices"
voices=$work/voices
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Runs the decoder; sets code, and err to its stderr.
decode() {
  code=0
  "$decoder" "$@" 2>"$work/stderr" || code=$?
  err=$(cat "$work/stderr")
}

u16_at() { od -An -tu2 -j "$2" -N 2 --endian=little "$1" | tr -d ' '; }

# Sign changes of 16-bit little-endian samples: 2 x frequency x seconds.
sign_changes() {
  od -An -v -td2 -w2 --endian=little "$1" |
    awk '{ s = ($1 > 0) - ($1 < 0); if (s != 0) { if (p != 0 && s != p) n++; p = s } }
         END { print n + 0 }'
}

# Sound files, in their own form and in the other one, and with the optional
# end mark 0xFFFF: the same samples, one 20 ms frame (480 samples) at most
# longer than the source.
while read -r file seconds; do
  decode "$voices/$file" "$work/out/$file.pcm"
  if [ "$code" -ne 0 ] || [ -n "$err" ]; then
    fail "$file: exit $code, stderr '$err'"
    continue
  fi
  bytes=$(stat -c %s "$work/out/$file.pcm")
  want=$(awk -v s="$seconds" 'BEGIN { printf "%d", s * 24000 + 0.5 }')
  if [ $((bytes % 2)) -ne 0 ] || [ $((bytes / 2)) -lt "$want" ] || [ $((bytes / 2)) -ge $((want + 480)) ]; then
    fail "$file: $((bytes / 2)) samples for $seconds s"
  fi
  if [ "$(head -c 1 "$voices/$file" | od -An -tx1 | tr -d ' ')" = 02 ]; then
    tail -c +2 "$voices/$file" >"$work/in/other-form"
  else
    { printf '\002'; cat "$voices/$file"; } >"$work/in/other-form"
  fi
  decode "$work/in/other-form" "$work/out/other-form.pcm"
  [ "$code" -eq 0 ] && cmp -s "$work/out/$file.pcm" "$work/out/other-form.pcm" ||
    fail "$file in the other form: exit $code, not the same samples"
  { cat "$voices/$file"; printf '\377\377'; } >"$work/in/end-mark"
  decode "$work/in/end-mark" "$work/out/end-mark.pcm"
  [ "$code" -eq 0 ] && cmp -s "$work/out/$file.pcm" "$work/out/end-mark.pcm" ||
    fail "$file with an end mark: exit $code, not the same samples"
  rm -f "$work/out/other-form.pcm" "$work/out/end-mark.pcm"
done <"$voices/expected.txt"
[ "$(wc -l <"$voices/expected.txt")" -eq 3 ] || fail "expected.txt: not 3 lines"
changes=$(sign_changes "$work/out/tone440.slk.pcm")
[ "$changes" -ge 2630 ] && [ "$changes" -le 2650 ] || fail "tone440.slk: $changes sign changes, not 440 Hz"

# Faulty inputs. Each case: a name, the input, the exact stderr reason.
qq=$voices/speech-qq.slk
tone=$voices/tone440.slk
tone_size=$(stat -c %s "$tone")
first=$(u16_at "$qq" 9)
cut_at=$((9 + 2 + first))
mkdir "$work/in/a folder"
: >"$work/in/empty.slk"
head -c 9 "$qq" >"$work/in/header-only.slk"
head -c 10 "$voices/speech-wechat.amr" >"$work/in/header-only.amr"
{ cat "$tone"; printf 'x'; } >"$work/in/trailing.slk"
{ cat "$tone"; printf '\377\377abc'; } >"$work/in/after-end.slk"
{ head -c 9 "$tone"; printf '\000\000'; tail -c +10 "$tone"; } >"$work/in/empty-block.slk"
cases=(
  "missing|$work/in/missing.slk|cannot read: no such file or folder"
  "folder|$work/in/a folder|cannot read: is a folder"
  "empty|$work/in/empty.slk|not a SILK file (no #!SILK_V3 header)"
  "text|$voices/not-silk.amr|not a SILK file (no #!SILK_V3 header)"
  "header only, QQ|$work/in/header-only.slk|no audio blocks after the header"
  "header only, WeChat|$work/in/header-only.amr|no audio blocks after the header"
  "truncated|$voices/corrupt.slk|truncated block at byte $cut_at "
  "trailing byte|$work/in/trailing.slk|1 trailing byte(s) at byte $tone_size"
  "after end mark|$work/in/after-end.slk|3 byte(s) after the end mark at byte $tone_size"
  "empty block|$work/in/empty-block.slk|empty block at byte 9"
)
for c in "${cases[@]}"; do
  IFS='|' read -r name input reason <<<"$c"
  decode "$input" "$work/out/bad.pcm"
  [ "$code" -eq 1 ] || fail "$name: exit $code"
  [ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ] || fail "$name: stderr is not one line: '$err'"
  case "$err" in
    "silk_v3_decoder: $input: $reason"*) ;;
    *) fail "$name: stderr '$err'" ;;
  esac
  [ ! -e "$work/out/bad.pcm" ] || fail "$name: an output file was written"
done

# An output folder that does not exist, and a wrong argument count.
decode "$tone" "$work/out/no folder/x.pcm"
[ "$code" -eq 1 ] && [ "$err" = "silk_v3_decoder: $work/out/no folder/x.pcm: cannot write: no such file or folder" ] ||
  fail "missing output folder: exit $code, stderr '$err'"
decode "$tone"
[ "$code" -eq 2 ] && [ "$err" = "usage: silk_v3_decoder VOICE_FILE PCM_FILE" ] ||
  fail "one argument: exit $code, stderr '$err'"

# No temporary file was left in the output folder by any case.
leftover=$(find "$work/out" -mindepth 1 -name '.*' | head -n 1)
[ -z "$leftover" ] || fail "left behind: $leftover"

[ "$failures" -eq 0 ] || exit 1
rm -rf "$work"
