#!/usr/bin/env bash
# cmake --install into a temporary prefix, then the installed tree as a user meets it: the
# programs run from there without a display, krv finds its language files in share/krv (and
# a GERMAN.txt dropped there), the menu entry is valid and its command runs.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/krv bin/krv-sim bin/krv-afm share/krv/ENGLISH.txt share/krv/RUSSIAN.txt \
    share/krv/SPAIN.txt share/applications/krv.desktop \
    share/icons/hicolor/scalable/apps/krv.svg lib/udev/rules.d/70-krv-modemmanager.rules; do
    [ -e "$prefix/$file" ] || fail "$file is not installed"
done
if [ -e "$build/bin/krv-cli" ] && [ ! -x "$prefix/bin/krv-cli" ]; then
    fail "krv-cli is built but not installed"
fi
[ ! -e "$prefix/bin/MC_LANG" ] || fail "language files beside the installed krv"

# krv LOCALE ARGUMENTS...: as started from a terminal without any display.
krv() {
    local locale=$1
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL="$locale" "$prefix/bin/krv" "$@"
}

version=$(krv C --version) || fail "krv --version exits $?"
[ "$version" = "krv 1.12" ] || fail "krv --version says: $version"

# The texts are built in Polish: English help comes from share/krv/ENGLISH.txt.
help=$(krv en_US.UTF-8 --help) || fail "krv --help exits $?"
[[ $help == "Usage: krv "* ]] || fail "no English help from the installed files: $help"

# Any of the thirteen files by name, found in the same place.
polishUsage=$(krv pl_PL.UTF-8 --help | head -n 1)
germanUsage="Aufruf: krv [--port PFAD|N] [--demo] [--language NAME] [--help] [--version]"
printf '\xef\xbb\xbf%s\tusage\t%s\r\n' "$polishUsage" "$germanUsage" |
    iconv -f UTF-8 -t UTF-16LE >"$prefix/share/krv/GERMAN.txt"
german=$(krv en_US.UTF-8 --language GERMAN --help | head -n 1)
[ "$german" = "$germanUsage" ] || fail "--language GERMAN gives: $german"

entry="$prefix/share/applications/krv.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate: $entry"
command=$(sed -n 's/^Exec=//p' "$entry")
PATH="$prefix/bin:$PATH" env -u DISPLAY $command --version >/dev/null ||
    fail "the menu's command ($command) does not run"

for program in krv-sim krv-afm; do
    "$prefix/bin/$program" --help >/dev/null 2>&1 || fail "$program --help exits $?"
done
echo "installed tree in $prefix: all checks passed"
