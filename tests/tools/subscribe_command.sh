#!/usr/bin/env bash
# tessel-tool subscribe, subscriptions, sync and events --folder with a subscription alone (a
# file, no account, no network): the store keeps it packed and lists it without its path, a bad
# address or a damaged file is refused naming the title, and a file that goes bad later keeps its
# cached events while sync names it on stderr and ends with 1.
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
mkdir "$dir/program" "$dir/secret-place"
ics=$dir/secret-place/holidays.ics

printf '%s\r\n' 'BEGIN:VCALENDAR' 'X-WR-CALNAME:Ferien' \
  'BEGIN:VEVENT' 'UID:a' 'SUMMARY:Fête' 'DTSTART;VALUE=DATE:20260305' 'END:VEVENT' \
  'BEGIN:VEVENT' 'UID:b' 'SUMMARY:Review' 'DTSTART:20260310T140000' 'DURATION:PT1H' 'END:VEVENT' \
  'END:VCALENDAR' >"$ics"

out=$("$tool" subscribe "$dir/program" "$ics" --color '#112233') || fail "subscribe: exit $?"
[ "$out" = "$(printf 'Ferien\t2 events')" ] || fail "subscribe printed: $out"
grep -q secret-place "$dir/program/subscriptions.xml" && fail "the path is readable in subscriptions.xml"
listed=$("$tool" subscriptions "$dir/program") || fail "subscriptions: exit $?"
[ "$listed" = "$(printf 'Ferien\t#112233\t1\tholidays.ics')" ] || fail "subscriptions printed: $listed"

# Refused: an address of another kind, a damaged file; the store stays as it was.
"$tool" subscribe "$dir/program" "ftp://host/private-token" --title Other >"$dir/out" 2>"$dir/err"
[ $? -eq 1 ] || fail "ftp address: exit not 1"
grep -q "^error: Other: the address is not an http, https or webcal address" "$dir/err" || fail "ftp: $(cat "$dir/err")"
grep -q private-token "$dir/err" && fail "the address is in the message"
printf 'BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n' >"$dir/bad.ics"
"$tool" subscribe "$dir/program" "$dir/bad.ics" --title Broken >"$dir/out" 2>"$dir/err"
[ $? -eq 1 ] || fail "damaged file: exit not 1"
grep -q "^error: Broken: the calendar is damaged" "$dir/err" || fail "damaged: $(cat "$dir/err")"
[ "$("$tool" subscriptions "$dir/program" | wc -l)" -eq 1 ] || fail "a refused address was stored"

# A sync with the subscription alone, then the merged list from the cache for March 2026.
TZ=UTC "$tool" sync "$dir/program" >"$dir/out" 2>"$dir/err" || fail "sync: exit $?: $(cat "$dir/err")"
expected=$(printf '%s\t%s\t%s\t%s\t%s\t\n' \
  '2026-03-05 00:00' '2026-03-06 00:00' 1 332211 'Fête' \
  '2026-03-10 14:00' '2026-03-10 15:00' 0 332211 'Review')
events=$(TZ=UTC "$tool" events --folder "$dir/program" --date 2026-03-15) || fail "events: exit $?"
[ "$events" = "$expected" ] || fail "events printed:
$events
expected:
$expected"
cache=$(ls "$dir"/program/subscription-*.cache) || fail "no cache file"
cp "$cache" "$dir/cache.before"

# The file goes bad: sync names it and fails, the cache and the events stay as they were.
printf 'BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n' >"$ics"
TZ=UTC "$tool" sync "$dir/program" >"$dir/out" 2>"$dir/err"
[ $? -eq 1 ] || fail "sync of a damaged file: exit not 1"
grep -q "^failed: Ferien: the calendar is damaged" "$dir/err" || fail "sync stderr: $(cat "$dir/err")"
grep -q secret-place "$dir/err" "$dir/out" && fail "the path is in sync's output"
cmp -s "$cache" "$dir/cache.before" || fail "the cache changed"
[ "$(TZ=UTC "$tool" events --folder "$dir/program" --date 2026-03-15)" = "$expected" ] || fail "events changed"
echo ok
