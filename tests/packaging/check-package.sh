#!/usr/bin/env bash
# Builds the Debian package, checks its control data and contents, validates
# the desktop entry and the AppStream metainfo it installs, and starts the
# installed program from a scratch root long enough to show its window.
set -euo pipefail
build="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cd "$build"
rm -f zestrel_*.deb
cpack -G DEB >"$scratch/cpack.log" 2>&1 || {
    cat "$scratch/cpack.log"
    fail "cpack could not build the package"
}
deb="$(ls zestrel_*.deb)"
echo "Built $deb"

# Control data: the real run-time dependencies are declared.
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libgumbo1 libstdc++6 libc6 libqt6svg6 fonts-urw-base35; do
    grep -q -E "(^|, )${needed//+/\\+}( |,|$)" <<<"$depends" || fail "Depends does not name $needed"
done
# Every declared package exists in Debian 12 (they are installed here).
for pkg in $(sed -E 's/\([^)]*\)//g; s/[,|]/ /g' <<<"$depends"); do
    dpkg-query -W "$pkg" >/dev/null 2>&1 || fail "declared dependency $pkg is not a known package"
done
[ "$(dpkg-deb -f "$deb" Package)" = zestrel ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"

# Contents: everything where desktops expect it.
dpkg-deb -x "$deb" "$scratch/root"
for path in usr/bin/zestrel \
    usr/share/applications/example.vorteq.zestrel.desktop \
    usr/share/metainfo/example.vorteq.zestrel.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/zestrel.svg \
    usr/share/zestrel/help.html; do
    [ -f "$scratch/root/$path" ] || fail "the package lacks /$path"
done

desktop-file-validate "$scratch/root/usr/share/applications/example.vorteq.zestrel.desktop"
appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/example.vorteq.zestrel.metainfo.xml"

# Start the installed program; it must still be running, window shown, when
# timeout stops it (exit status 124), not have crashed or quit on its own.
status=0
(cd "$scratch" && QT_QPA_PLATFORM=offscreen timeout 4 "$scratch/root/usr/bin/zestrel") || status=$?
[ "$status" -eq 124 ] || fail "the installed program ended with status $status instead of running"
echo "The installed program started and kept its window open."
