#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop and a
# package manager look for, then runs the installed tools from a prefix the
# user cannot write: their data must land in the user's own folder.
# Usage: check.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/velm-cli share/velm/SuuFile.Dat share/velm/Senji.Dat share/velm/Senji.Idx \
         share/velm/SetuFile.Dat share/velm/VELMWIN.html share/velm/Readme.txt \
         share/applications/velm.desktop share/icons/hicolor/scalable/apps/velm.svg \
         share/metainfo/velm.metainfo.xml share/man/man1/velm-cli.1.gz; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
[ -x "$prefix/bin/velm-cli" ] || fail "velm-cli not executable"
grep -q '^Name\[ja\]=' "$prefix/share/applications/velm.desktop" || fail "no Japanese name"
grep -q '^Name=' "$prefix/share/applications/velm.desktop" || fail "no English name"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/velm.desktop"
fi
if command -v appstreamcli >/dev/null; then
  # An id without a reverse domain is only a hint; errors and warnings fail.
  appstreamcli validate --no-net --no-color "$prefix/share/metainfo/velm.metainfo.xml" >"$scratch/as.log" 2>&1 \
    || { grep -v '^I:' "$scratch/as.log" | grep -q '^[EW]:' && { cat "$scratch/as.log"; fail "metainfo"; }; true; }
fi
zcat "$prefix/share/man/man1/velm-cli.1.gz" | grep -q '^\.TH VELM-CLI 1' || fail "man page"

[ "$("$prefix/bin/velm-cli" --version)" = "velm-cli $version" ] || fail "velm-cli --version"
if [ -x "$prefix/bin/velm" ]; then
  [ "$("$prefix/bin/velm" --version)" = "velm $version" ] || fail "velm --version"
fi

# Read-only install: the user's folder is filled from share/velm, once.
chmod -R a-w "$prefix"
(cd "$prefix" && find . -type f -print0 | sort -z | xargs -0 md5sum) >"$scratch/before"
export XDG_DATA_HOME=$scratch/xdg HOME=$scratch/home
unset VELM_DATA_DIR
user=$XDG_DATA_HOME/Quorvel/VELM
"$prefix/bin/velm-cli" chart 2024-03-01 12 --kind hour >/dev/null || fail "installed velm-cli chart"
cmp -s "$user/SuuFile.Dat" "$prefix/share/velm/SuuFile.Dat" || fail "defaults not copied"
printf 'edited\r\n' >>"$user/SetuFile.Dat"
"$prefix/bin/velm-cli" koyomi 2024-03-01 12 >/dev/null
tail -c 8 "$user/SetuFile.Dat" | grep -q edited || fail "a user's file was overwritten"
if [ -x "$prefix/bin/velm" ]; then
  # The desktop program from the same install: a chart written without a window.
  rm -f "$user/SuuFile.Dat"
  QT_QPA_PLATFORM=offscreen "$prefix/bin/velm" --export "$scratch/chart.png" --moment 2024-03-01T12:00 \
    || fail "installed velm --export"
  [ "$(head -c 4 "$scratch/chart.png" | tail -c 3)" = PNG ] || fail "no picture"
  [ -f "$user/SuuFile.Dat" ] || fail "velm did not restore a missing default"
fi
(cd "$prefix" && find . -type f -print0 | sort -z | xargs -0 md5sum) | cmp -s - "$scratch/before" \
  || fail "wrote into the install"
echo "install ok"
