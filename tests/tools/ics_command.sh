#!/usr/bin/env bash
# tessel-tool ics: local wall times by TZ, all-day dates, cancelled instances left out, a line
# break in a summary as \n, the window's ends; a damaged line is a warning on stderr, the rest
# listed and exit 0; a file with nothing readable fails naming the file and line.
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

printf '%s\r\n' 'BEGIN:VCALENDAR' \
  'BEGIN:VEVENT' 'UID:w' 'SUMMARY:Stand-up\nroom 4' 'DTSTART:20260301T160000Z' 'DURATION:PT15M' \
  'RRULE:FREQ=DAILY;COUNT=4' 'END:VEVENT' \
  'BEGIN:VEVENT' 'UID:w' 'RECURRENCE-ID:20260303T160000Z' 'STATUS:CANCELLED' 'DTSTART:20260303T160000Z' 'END:VEVENT' \
  'BEGIN:VEVENT' 'UID:d' 'SUMMARY:Trip' 'DTSTART;VALUE=DATE:20260228' 'DTEND;VALUE=DATE:20260302' 'END:VEVENT' \
  'BEGIN:VEVENT' 'UID:late' 'SUMMARY:Late' 'DTSTART:20260305T080000Z' 'END:VEVENT' \
  'END:VCALENDAR' >"$dir/a.ics"

expected=$(printf '%s\t%s\t%s\n' \
  2026-02-28 2026-03-02 Trip \
  2026-03-01T08:00 2026-03-01T08:15 'Stand-up\nroom 4' \
  2026-03-02T08:00 2026-03-02T08:15 'Stand-up\nroom 4' \
  2026-03-04T08:00 2026-03-04T08:15 'Stand-up\nroom 4')
actual=$(TZ=America/Los_Angeles "$tool" ics "$dir/a.ics" --from 2026-03-01 --to 2026-03-05) || fail "exit $?"
[ "$actual" = "$expected" ] || fail "got:
$actual
expected:
$expected"

printf '%s\r\n' 'BEGIN:VCALENDAR' 'BEGIN:VEVENT' 'SUMMARY:Gym' 'DTSTART:20260302T070000Z' 'RRULE:' 'END:VEVENT' \
  'BEGIN:VEVENT' 'DTSTART:2026' 'END:VEVENT' 'END:VCALENDAR' >"$dir/part.ics"
TZ=UTC "$tool" ics "$dir/part.ics" --from 2026-03-01 --to 2026-03-05 >"$dir/out" 2>"$dir/err" || fail "warnings: exit $?"
[ "$(cat "$dir/out")" = "$(printf '2026-03-02T07:00\t2026-03-02T07:00\tGym')" ] || fail "warnings: $(cat "$dir/out")"
[ "$(cat "$dir/err")" = "warning: $dir/part.ics, line 5: an empty recurrence rule, ignored
warning: $dir/part.ics, line 8: a bad date or time '2026', the event is left out" ] || fail "warnings: $(cat "$dir/err")"

printf 'BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:2026\r\n' >"$dir/bad.ics"
TZ=UTC "$tool" ics "$dir/bad.ics" --from 2026-03-01 --to 2026-03-05 >"$dir/out" 2>"$dir/err"
[ $? -eq 1 ] || fail "damaged file: exit not 1"
grep -q "bad.ics, line 3: a bad date or time '2026'" "$dir/err" || fail "damaged file: $(cat "$dir/err")"
[ ! -s "$dir/out" ] || fail "damaged file: output written"
echo ok
