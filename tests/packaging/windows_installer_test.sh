#!/usr/bin/env bash
# The Windows installer in the lane's Wine prefix: CPack builds krv-1.12-setup.exe, which
# installs silently for this user without administrator rights, the installed krv-cli.exe runs
# and finds its language files, and the uninstaller takes everything away again.
#   windows_installer_test.sh BUILD_DIR
set -euo pipefail
build=$1
wine=${KRV_WINE:-/usr/lib/wine/wine64}
: "${WINEPREFIX:?the Wine prefix of the lane (scripts/windows sets it)}"

(cd "$build" && cpack >/dev/null)
setup=$(ls "$build"/krv-*-setup.exe)
target=$("$wine" cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')\\Programs\\krv
folder=$("$wine" winepath -u "$target" | tr -d '\r')
menu=$("$wine" winepath -u "$("$wine" cmd /c 'echo %APPDATA%' | tr -d '\r')" | tr -d '\r')
menu="$menu/Microsoft/Windows/Start Menu/Programs/Emulator KRV 1.12"
failed=0
expect() { # description, condition...
    local what=$1; shift
    if ! "$@"; then
        echo "FAILED: $what"
        failed=1
    fi
}

# From a prefix without an earlier install, whatever an interrupted run left.
if [ -f "$folder/Uninstall.exe" ]; then
    "$wine" "$folder/Uninstall.exe" /S
    for _ in $(seq 50); do [ -e "$folder/krv-cli.exe" ] || break; sleep 0.2; done
fi

"$wine" "$setup" /S
expect "krv-cli.exe installed" test -f "$folder/krv-cli.exe"
for language in ENGLISH RUSSIAN SPAIN; do
    expect "$language.txt in MC_LANG" test -f "$folder/MC_LANG/$language.txt"
done
expect "the firmware folder" test -d "$folder/Morvelcast Firmware/33EP"
expect "the Start-menu folder with the uninstaller" test -f "$menu/Uninstall.lnk"
if [ -f "$folder/krv.exe" ]; then
    expect "the Start-menu entry of krv" test -f "$menu/Emulator KRV.lnk"
fi
# The installed program reads its texts from MC_LANG beside it: for an English-speaking user
# (Wine's language under the C locale) ENGLISH.txt, not the built-in Polish.
usage=$(LC_ALL=C "$wine" "$folder/krv-cli.exe" --help | tr -d '\r' | head -n 1)
expect "installed krv-cli.exe runs: '$usage'" test "${usage#Usage: krv-cli}" != "$usage"

"$wine" "$folder/Uninstall.exe" /S
# The uninstaller copies itself away and finishes in the background.
for _ in $(seq 100); do
    [ -e "$folder/krv-cli.exe" ] || [ -e "$menu" ] || break
    sleep 0.2
done
expect "krv-cli.exe removed" test ! -e "$folder/krv-cli.exe"
expect "MC_LANG removed" test ! -e "$folder/MC_LANG"
expect "the Start-menu folder removed" test ! -e "$menu"
[ "$failed" = 0 ] && echo "installed, ran and uninstalled in the Wine prefix"
exit "$failed"
