#!/usr/bin/env bash
# tessel-tool subscribe, subscriptions, sync and events --folder with a CalDAV account on the
# Radicale server the fixture started: a server that asks for a password is refused without one,
# its calendars come as one account with one, the password is not readable in the store, and the
# merged list holds their events.
set -u
tool=$1
ports=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
port=$(sed -n 's/^radicale=//p' "$ports")
user=$(sed -n 's/^user=//p' "$ports")
password=$(sed -n 's/^password=//p' "$ports")
[ -n "$port" ] || fail "no Radicale port in $ports"
server=http://127.0.0.1:$port/
mkdir "$dir/program"

"$tool" subscribe "$dir/program" "$server" >"$dir/out" 2>"$dir/err"
[ $? -eq 1 ] || fail "no password: exit not 1"
grep -q "asks for a user name and password" "$dir/err" || fail "no password: $(cat "$dir/err")"
"$tool" subscribe "$dir/program" "$server" --user "$user" --password wrong >"$dir/out" 2>"$dir/err"
[ $? -eq 1 ] || fail "wrong password: exit not 1"
grep -q "user name or password refused" "$dir/err" || fail "wrong password: $(cat "$dir/err")"
grep -q wrong "$dir/err" && fail "the password is in the message"

out=$("$tool" subscribe "$dir/program" "$server" --user "$user" --password "$password" --title Radicale) ||
  fail "subscribe: exit $?"
[ "$(sort <<<"$out")" = "$(printf 'Home\t#1565C0\nWork\t#2E7D32')" ] || fail "subscribe printed: $out"
grep -q "$password" "$dir/program/subscriptions.xml" && fail "the password is readable in subscriptions.xml"
[ "$("$tool" subscriptions "$dir/program" | cut -f1 | sort | tr '\n' ' ')" = "Home Work " ] ||
  fail "subscriptions printed: $("$tool" subscriptions "$dir/program")"

TZ=UTC "$tool" sync "$dir/program" >"$dir/out" 2>"$dir/err" || fail "sync: exit $?: $(cat "$dir/err")"
ls "$dir/program"/caldav-*.cache >/dev/null 2>&1 || fail "no calendar's copy was kept"
TZ=UTC "$tool" events --folder "$dir/program" --date 2027-03-16 >"$dir/out" || fail "events: exit $?"
grep -q "$(printf '2027-03-16 14:00\t2027-03-16 15:00\t0\t327D2E\tDesign review')" "$dir/out" ||
  fail "events printed: $(cat "$dir/out")"
grep -q "$(printf '2027-03-17 08:00\t2027-03-17 08:30\t0\tC06515\tDentist')" "$dir/out" ||
  fail "events printed: $(cat "$dir/out")"
echo "ok"
