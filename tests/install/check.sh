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

# Every library the build needs is a Build-Depends of the Debian package:
# the development packages scripts/setup installs, but for the tests' own.
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
for p in $(sed -n '/^packages=(/,/)/p' "$source_dir/scripts/setup" | grep -o -E '\b(lib[a-z0-9.+-]*|qt6-[a-z0-9-]*)-dev\b'); do
  case $p in libgtest-dev|libgmock-dev|libbenchmark-dev|libclang-rt-*-dev) continue ;; esac
  grep -q -E "^ *(Build-Depends: *)?$p\b" "$source_dir/debian/control" || fail "debian/control lacks the Build-Depends $p"
done

# The command-line tool and the data stand without the windows (velm-cli and
# velm-data are packages of their own).
for f in bin/velm-cli share/velm/SuuFile.Dat share/velm/Senji.Dat share/velm/Senji.Idx \
         share/velm/SetuFile.Dat share/velm/VELMWIN.html share/velm/Readme.txt \
         share/man/man1/velm-cli.1; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
[ -x "$prefix/bin/velm-cli" ] || fail "velm-cli not executable"
if objdump -p "$prefix/bin/velm-cli" | grep -q 'NEEDED.*libQt'; then
  fail "velm-cli links Qt"
fi

# Manual pages render without a warning (as lintian reads them), and the
# command-line tool's names every command and option its --help lists.
man_ok() { LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$1" 2>&1 >/dev/null; }
[ -z "$(man_ok "$prefix/share/man/man1/velm-cli.1")" ] || { man_ok "$prefix/share/man/man1/velm-cli.1"; fail "velm-cli(1) warns"; }
grep -q '^\.TH VELM-CLI 1' "$prefix/share/man/man1/velm-cli.1" || fail "man page"
commands=$("$prefix/bin/velm-cli" --help | sed -n 's/^ *velm-cli \([a-z][a-z]*\).*/\1/p' | sort -u)
[ -n "$commands" ] || fail "velm-cli --help lists no command"
help=$("$prefix/bin/velm-cli" --help)
for command in $commands; do
  grep -q "^\.B $command\b" "$prefix/share/man/man1/velm-cli.1" || fail "velm-cli(1) lacks the command $command"
  help+=$'\n'$("$prefix/bin/velm-cli" "$command" --help </dev/null 2>/dev/null || true)
done
for option in $(printf '%s\n' "$help" | grep -o -- '--[a-z][a-z0-9-]*' | sort -u); do
  grep -q -- "$(printf '%s' "$option" | sed 's/-/\\\\-/g')" "$prefix/share/man/man1/velm-cli.1" \
    || fail "velm-cli(1) lacks the option $option"
done

if [ -x "$prefix/bin/velm" ]; then
  for f in share/applications/velm.desktop share/icons/hicolor/scalable/apps/velm.svg \
           share/metainfo/com.quorvel.velm.metainfo.xml share/man/man1/velm.1; do
    [ -f "$prefix/$f" ] || fail "not installed: $f"
  done
  desktop=$prefix/share/applications/velm.desktop
  grep -q '^Name\[ja\]=' "$desktop" || fail "no Japanese name"
  grep -q '^Name=' "$desktop" || fail "no English name"
  # One main category, so that a menu shows the program once.
  main='AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility'
  [ "$(sed -n 's/^Categories=//p' "$desktop" | tr ';' '\n' | grep -c -x -E "$main")" = 1 ] \
    || fail "not one main category"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop"
  fi
  if command -v appstreamcli >/dev/null; then
    # Pedantic hints are reported; errors and warnings fail.
    appstreamcli validate --no-net --no-color --pedantic "$prefix/share/metainfo/com.quorvel.velm.metainfo.xml" \
      >"$scratch/as.log" 2>&1 \
      || { grep -q '^[EW]:' "$scratch/as.log" && { cat "$scratch/as.log"; fail "metainfo"; }; true; }
  fi
  grep -q '<project_license>GPL-3.0-or-later</project_license>' \
    "$prefix/share/metainfo/com.quorvel.velm.metainfo.xml" || fail "metainfo licence"
  [ -z "$(man_ok "$prefix/share/man/man1/velm.1")" ] || { man_ok "$prefix/share/man/man1/velm.1"; fail "velm(1) warns"; }
  for option in $(QT_QPA_PLATFORM=offscreen "$prefix/bin/velm" --help | grep -o -- '--[a-z][a-z0-9-]*' | sort -u); do
    grep -q -- "$(printf '%s' "$option" | sed 's/-/\\\\-/g')" "$prefix/share/man/man1/velm.1" \
      || fail "velm(1) lacks the option $option"
  done
fi

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
