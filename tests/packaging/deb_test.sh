#!/usr/bin/env bash
# The Debian package as scripts/package builds it, made here from this build with CPack: it
# holds every installed file under /usr and depends on the libraries the programs link.
#   deb_test.sh BUILD_DIR
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$out/cpack.log")"
package=$(ls "$out"/krv_*.deb)
contents=$(dpkg-deb --contents "$package" | awk '{print $NF}')
for file in usr/bin/krv usr/bin/krv-sim usr/bin/krv-afm usr/share/krv/ENGLISH.txt \
    usr/share/krv/RUSSIAN.txt usr/share/krv/SPAIN.txt usr/share/applications/krv.desktop \
    usr/share/icons/hicolor/scalable/apps/krv.svg \
    usr/lib/udev/rules.d/70-krv-modemmanager.rules; do
    grep -qx "./$file" <<<"$contents" || fail "$file is not in the package"
done
depends=$(dpkg-deb --field "$package" Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6; do
    [[ $depends == *"$library "* ]] || fail "Depends lacks $library: $depends"
done
# Qt's dialogs in the fitter's language.
[[ $depends == *qt6-translations-l10n* ]] || fail "Depends lacks qt6-translations-l10n: $depends"
echo "$(basename "$package"): Depends: $depends"
