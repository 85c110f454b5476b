#!/usr/bin/env bash
# The installer under wine, as a new user would run it (silently here): the
# program lands under Program Files and on the PATH, a second install does not
# add it twice, the uninstaller takes out only its own entry, and a PATH too
# long for the installer to hold is left as it is.
#   windows_installer_test.sh <setup.exe> <work dir>
# Exits 77 (skipped) when the installer has not been made (scripts/windows makes it).
set -uo pipefail
setup="$1"
work="$2"
[ -f "$setup" ] || { echo "windows_installer_test: no $setup (scripts/windows makes it)"; exit 77; }
wine="${VESTOK_WINE:-/usr/lib/wine/wine64}"
wineserver="$(dirname "$wine")/wineserver"
export WINEPREFIX="$work/wine"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX"
key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
dir="$WINEPREFIX/drive_c/Program Files/Vestok"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# Each step runs to its end: the uninstaller starts a copy of itself and
# returns, so the test waits until wine has no program left.
run() {
  "$wine" "$@" >/dev/null 2>&1
  "$wineserver" -w
}
path_now() { "$wine" reg query "$key" /v Path 2>/dev/null | tr -d '\r' | sed -n 's/^ *Path *REG_[A-Z_]* *//p'; }
set_path() { run reg add "$key" /v Path /t REG_EXPAND_SZ /d "$1" /f; }

before='%SystemRoot%\system32;%SystemRoot%;D:\Unelte'
set_path "$before"
run "$setup" /S
[ -x "$dir/vestok-cli.exe" ] || fail "vestok-cli.exe not installed"
[ -f "$dir/Vestok.ini" ] || fail "Vestok.ini not installed"
[ "$(path_now)" = "$before;C:\\Program Files\\Vestok" ] || fail "PATH after install: $(path_now)"
help=$("$wine" cmd /c "vestok-cli --help" 2>/dev/null | head -1 | tr -d '\r')
"$wineserver" -w
[[ "$help" == Folosire:* ]] || fail "vestok-cli is not found on the PATH: '$help'"

run "$setup" /S
[ "$(path_now)" = "$before;C:\\Program Files\\Vestok" ] || fail "PATH after a second install: $(path_now)"

# An entry the user added after ours stays where it is.
set_path "$before;C:\\Program Files\\Vestok;E:\\Alt"
run "$dir/uninstall.exe" /S
[ ! -e "$dir/vestok-cli.exe" ] || fail "the uninstaller left vestok-cli.exe"
[ "$(path_now)" = "$before;E:\\Alt" ] || fail "PATH after uninstall: $(path_now)"

# A PATH longer than the installer's strings (1024 characters) is refused, not cut.
long="$before"
while [ ${#long} -lt 1100 ]; do long="$long;C:\\Unelte\\pachet-${#long}"; done
set_path "$long"
run "$setup" /S
[ -x "$dir/vestok-cli.exe" ] || fail "long PATH: vestok-cli.exe not installed"
[ "$(path_now)" = "$long" ] || fail "long PATH was changed (${#long} characters before, $(path_now | wc -c) after)"
run "$dir/uninstall.exe" /S
[ "$(path_now)" = "$long" ] || fail "long PATH was changed by the uninstaller"

if [ $failures -ne 0 ]; then
  echo "windows_installer_test: $failures failures"
  exit 1
fi
echo "windows_installer_test: install, PATH entry once, uninstall of its own entry, long PATH refused"
