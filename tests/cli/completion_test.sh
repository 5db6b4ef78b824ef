#!/usr/bin/env bash
# kx12rctl's bash completion: verbs, options of the verb, .kxr files, serials of the readers.
# Usage: completion_test.sh KX12RCTL COMPLETION-SCRIPT
set -u
program=$1
source "$2"
failures=0
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" && touch site.kxr notes.txt && mkdir profiles

# Completes the words of `line` (the last one may be empty) and compares the offers.
expect() {
  local line=$1 expected=$2
  read -r -a COMP_WORDS <<< "$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_WORDS[0]=$program
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _kx12rctl
  local offered=""
  [ ${#COMPREPLY[@]} -gt 0 ] && offered=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
  if [ "$offered" != "$expected" ]; then
    echo "FAIL: '$line' offered '$offered', expected '$expected'"
    failures=$((failures + 1))
  fi
}

expect "kx12rctl " "apply check compare identify list record save watch "
expect "kx12rctl co" "compare "
expect "kx12rctl --demo apply " "profiles site.kxr "
expect "kx12rctl apply site.kxr --" "--all --count --each --json --no-verify --record --serial "
expect "kx12rctl save site.kxr --f" "--force "
expect "kx12rctl --demo identify --serial " "00032 00158 00417 "
expect "kx12rctl --demo compare site.kxr --serial 001" "00158 "
expect "kx12rctl --demo watch --serial 00417 --c" "--count "
expect "kx12rctl watch --count " ""
[ "$(complete -p kx12rctl)" = "complete -F _kx12rctl kx12rctl" ] || {
  echo "FAIL: not registered for kx12rctl"
  failures=$((failures + 1))
}
[ "$failures" -eq 0 ] && echo "completion: all offers as expected"
exit "$failures"
