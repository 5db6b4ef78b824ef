#!/usr/bin/env bash
# kx12rctl for Windows gives the documents the Linux build gives: list, check, apply, compare and
# save over the demo readers, with --json and without, the exit statuses and the saved files.
#   same_documents.sh LINUX_KX12RCTL "WINDOWS_KX12RCTL_COMMAND"
set -euo pipefail
linux="$1"
read -r -a windows <<< "$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
failed=0

# Runs one kx12rctl with the arguments in folder $1 (relative paths, so both name files alike).
run() {
  local folder="$1"
  shift
  mkdir -p "$folder"
  (
    cd "$folder"
    set +e
    "$@" > out.txt 2> err.txt
    echo "$?" > status.txt
  )
}

same() {
  local name="$1"
  shift
  rm -rf linux windows
  mkdir linux windows
  cp ./*.kxr linux/ 2> /dev/null || true
  cp ./*.kxr windows/ 2> /dev/null || true
  run linux "$linux" --demo "$@"
  run windows "${windows[@]}" --demo "$@"
  if ! diff -r linux windows > "diff-$name.txt"; then
    echo "kx12rctl.exe $*: not as on Linux" >&2
    cat "diff-$name.txt" >&2
    failed=1
  fi
}

"$linux" --demo list --json > list.json
serial="$(python3 -c 'import json,sys; print(json.load(open("list.json"))["readers"][0]["serial"])')"
"$linux" --demo save site.kxr --serial "$serial" > /dev/null 2>&1
printf 'Variant=8\r\nPrefix=#K\r\nCode_format=999\r\n\r\n' > broken.kxr

same list list
same list-json list --json
same check check site.kxr --json
same check-broken check broken.kxr
same apply apply site.kxr --all --json
same compare compare site.kxr --all
same save save saved.kxr --serial "$serial" --json
same save-refused save site.kxr --serial "$serial"
same unknown-verb frobnicate
exit "$failed"
