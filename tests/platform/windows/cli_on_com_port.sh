#!/usr/bin/env bash
# krv-cli.exe under Wine against the Linux simulator on a pseudo-terminal mapped to COM5 of the
# Wine prefix: info and read-map give what the Linux krv-cli gives on the same simulator, the
# port is remembered in the registry value, and the COM-port tests of platform_windows run.
#   cli_on_com_port.sh KRV_CLI_EXE PLATFORM_WINDOWS_EXE LINUX_BIN
set -euo pipefail
cli_exe=$1 platform_exe=$2 linux=$3
wine=${KRV_WINE:-/usr/lib/wine/wine64}
: "${WINEPREFIX:?the Wine prefix of the lane (scripts/windows sets it)}"
work=$(mktemp -d /tmp/krv-com.XXXXXX)
sim_pid=
finish() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -f "$WINEPREFIX/dosdevices/com5"
    rm -rf "$work"
}
trap finish EXIT

# A simulator with a calibrated map, so that read-map has something to show.
"$linux/krv-sim" --link "$work/port" --baud 38400 --sample-map >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -e "$work/port" ] && break; sleep 0.05; done
[ -e "$work/port" ] || { echo "krv-sim did not start:"; cat "$work/sim.log"; exit 1; }
ln -sfn "$(readlink -f "$work/port")" "$WINEPREFIX/dosdevices/com5"

failed=0
check() { # what, expected file, actual file
    if ! diff -u "$2" "$3"; then
        echo "FAILED: $1"
        failed=1
    fi
}

export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
"$wine" reg delete 'HKCU\Software\Morvelcast' /v 'Last RS nr' /f >/dev/null 2>&1 || true

"$linux/krv-cli" --port "$work/port" info >"$work/linux-info.txt"
"$wine" "$cli_exe" --port COM5 info | tr -d '\r' >"$work/windows-info.txt"
check "info under Wine as on Linux" "$work/linux-info.txt" "$work/windows-info.txt"

"$linux/krv-cli" --port "$work/port" read-map "$work/linux-map.csv" >/dev/null
"$wine" "$cli_exe" --port COM5 read-map 'Z:'"$work/windows-map.csv" >/dev/null
# The files differ only in the moment they were saved.
sed -i '/^saved,/d' "$work/linux-map.csv" "$work/windows-map.csv"
check "read-map under Wine as on Linux" "$work/linux-map.csv" "$work/windows-map.csv"

remembered=$("$wine" reg query 'HKCU\Software\Morvelcast' /v 'Last RS nr' | tr -d '\r' |
    awk '$1 == "Last" {print $4 "=" $5}')
if [ "$remembered" != "REG_SZ=5" ]; then
    echo "FAILED: the remembered port in the registry: '$remembered', expected REG_SZ 5"
    failed=1
fi

KRV_TEST_COM_PORT=COM5 "$wine" "$platform_exe" --gtest_filter='WindowsComPort.*' ||
    failed=1

[ "$failed" = 0 ] && echo "krv-cli.exe on COM5 gives what krv-cli gives on Linux"
exit "$failed"
