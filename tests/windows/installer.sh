#!/usr/bin/env bash
# The installer under Wine, silently (/S): the programs, their DLLs and plugins under Program
# Files, the service database in ProgramData, the Start-menu entries and the uninstall entry; the
# installed kx12rctl.exe runs from there and uses that database. The uninstaller (/S) takes all
# of it away but the database and a settings file of the user's.
#   installer.sh SETUP_EXE STAGE   (WINEPREFIX and WINELOADER set)
set -euo pipefail
setup="$1"
stage="$2"
wine="$WINELOADER"
drive="$WINEPREFIX/drive_c"
installed="$drive/Program Files/kx12r-config"
data="$drive/ProgramData/kx12r-config"
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Конфигуратор KX12R"
failed=0
fail() { echo "installer: $*" >&2; failed=1; }

rm -rf "$installed" "$data"
"$wine" "$setup" /S
wineserver -w
while read -r file; do
  [ -f "$installed/${file#./}" ] || fail "not installed: ${file#./}"
done < <(cd "$stage" && find . -type f)
[ -f "$installed/uninstall.exe" ] || fail "no uninstaller"
[ -f "$data/kx12rConfig.db" ] || fail "no service database in ProgramData"
for entry in "Конфигуратор KX12R" "Конфигуратор KX12R (демонстрация)" "Удалить Конфигуратор KX12R"; do
  [ -f "$menu/$entry.lnk" ] || fail "no Start-menu entry «$entry»"
done
"$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\kx12r-config' \
  > /dev/null 2>&1 || fail "no uninstall entry"

# Run from Program Files with nothing but what was installed: the database is ProgramData's.
listed="$("$wine" "$installed/kx12rctl.exe" --demo list 2>&1)" || fail "installed kx12rctl.exe: $listed"
printf 'Variant=8\r\nCode_format=0\r\nEnding=13\r\n\r\n' > "$drive/site.kxr"
checked="$(cd "$drive" && "$wine" "$installed/kx12rctl.exe" check site.kxr 2>&1)" ||
  fail "check with the ProgramData database: $checked"
grep -q RAW_HEX <<< "$checked" || fail "check did not name the code format from the database: $checked"
rm -f "$data/kx12rConfig.db"
missing="$(cd "$drive" && "$wine" "$installed/kx12rctl.exe" check site.kxr 2>&1)" &&
  fail "check went on without the ProgramData database: $missing"
"$wine" "$setup" /S  # installing again makes the database once more
wineserver -w
[ -f "$data/kx12rConfig.db" ] || fail "a second install did not make the missing database"
echo "edited by the administrators" >> "$data/kx12rConfig.db"
mkdir -p "$installed/Cfg-files" && echo kept > "$installed/Cfg-files/mine.kxr"

"$wine" "$installed/uninstall.exe" /S
wineserver -w
[ ! -e "$installed/kx12rctl.exe" ] || fail "uninstall left the programs"
[ ! -e "$installed/plugins" ] || fail "uninstall left the plugins"
[ ! -e "$menu" ] || fail "uninstall left the Start-menu entries"
grep -q "edited by the administrators" "$data/kx12rConfig.db" 2> /dev/null ||
  fail "uninstall took the service database"
[ -f "$installed/Cfg-files/mine.kxr" ] || fail "uninstall took a settings file of the user's"
"$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\kx12r-config' \
  > /dev/null 2>&1 && fail "uninstall left its entry"
rm -rf "$installed" "$data" "$drive/site.kxr"
exit "$failed"
