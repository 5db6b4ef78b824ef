#!/usr/bin/env bash
# kx12rctl's man page says what --help says: every verb, option, JSON key and result word, and
# every exit status.
# Usage: manpage_test.sh KX12RCTL MAN-PAGE
set -u
help=$("$1" --help)
page=$(sed -e 's/\\-/-/g' -e 's/\\(dq/"/g' -e 's/\\f[BIR]//g' "$2")
failures=0
missing() {
  echo "FAIL: the man page lacks $1"
  failures=$((failures + 1))
}

verbs=$(sed -n '/^Команды:/,/^$/p' <<< "$help" | grep -oE '^  [a-z]+' | sort -u)
options=$(grep -oE -- '--[a-z][a-z-]*' <<< "$help" | sort -u)
keys=$(grep -oE '"[a-z_]+"' <<< "$help" | sort -u)
results=$(sed -n '/^  "result"/,/^  "parameter"/p' <<< "$help" | grep -oE '[a-z_]{4,}' | sort -u)
statuses=$(sed -n '/^Коды завершения:/,$p' <<< "$help" | grep -oE '^  [0-9]+' | sort -u)
[ -n "$verbs" ] && [ -n "$keys" ] && [ -n "$results" ] && [ -n "$statuses" ] ||
  missing "nothing: the help could not be read"
for verb in $verbs; do grep -qE "^\.(B|BI) $verb( |$)" <<< "$page" || missing "the verb $verb"; done
for option in $options; do grep -qF -- "$option" <<< "$page" || missing "the option $option"; done
for key in $keys; do grep -qF -- "$key" <<< "$page" || missing "the JSON key $key"; done
for word in $results; do grep -qw -- "$word" <<< "$page" || missing "the result $word"; done
for status in $statuses; do grep -qx "\.B $status" <<< "$page" || missing "exit status $status"; done
[ "$failures" -eq 0 ] && echo "man page: all of --help is there"
exit "$failures"
