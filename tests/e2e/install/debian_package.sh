#!/usr/bin/env bash
# The Debian package: built by CPack from the install rules, unpacked with dpkg-deb (no root),
# its files checked, the unpacked program run. lintian's findings are listed when it is there.
set -uo pipefail
build="$1"
version="$2"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/tree_checks.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
private_home "$work"

arch="$(dpkg --print-architecture)"
deb="$build/skelmora_${version}_${arch}.deb"
rm -f "$deb"
cmake --build "$build" --target package >"$work/package.log" 2>&1 ||
  { tail -n 40 "$work/package.log"; fail "the package target failed"; }
[ -s "$deb" ] || fail "no $deb"

dpkg-deb --field "$deb" Package | grep -qx skelmora || fail "package name"
dpkg-deb --field "$deb" Version | grep -qx "$version" || fail "package version"
depends="$(dpkg-deb --field "$deb" Depends)"
echo "$depends" | grep -q "libqt6widgets6" || fail "dependencies not computed: '$depends'"
# The listing is taken whole first: with pipefail, a grep -q that stops reading early would
# fail the pipeline through tar's or dpkg-deb's broken pipe.
dpkg-deb --ctrl-tarfile "$deb" >"$work/control.tar" || fail "no control archive"
control_files="$(tar -tf "$work/control.tar")"
for script in postinst postrm; do
  grep -qx "./$script" <<<"$control_files" || fail "no $script"
done

dpkg-deb -x "$deb" "$work/root"
outside="$(cd "$work/root" && find . -type f | grep -Ev '^\./usr/' )"
[ -z "$outside" ] || fail "files outside /usr: $outside"
check_tree "$work/root/usr"
# The unpacked program, its data reached through XDG_DATA_DIRS as well as its own place.
screenshot_from "$work/root/usr/bin/skelmora" "$work/shot.png" XDG_DATA_DIRS="$work/root/usr/share"

# The maintainer scripts do nothing where udev does not run, and succeed.
if [ ! -S /run/udev/control ]; then
  dpkg-deb -e "$deb" "$work/control"
  sh "$work/control/postinst" configure || fail "postinst failed without udev"
  sh "$work/control/postrm" remove || fail "postrm failed without udev"
fi

recommends="$(dpkg-deb --field "$deb" Recommends)"
for sound in pipewire pipewire-pulse libpipewire-0.3-modules; do
  grep -Eq "(^|, )$sound(,|$)" <<<"$recommends" || fail "$sound not recommended: '$recommends'"
done

# lintian, when installed: every finding listed; an error fails the test, a warning does not.
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1
  echo "lintian:"
  cat "$work/lintian.txt"
  errors="$(grep -c '^E: ' "$work/lintian.txt")"
  [ "$errors" -eq 0 ] || fail "lintian reports $errors error(s)"
else
  echo "lintian is not installed: the package was not checked by it"
fi
echo "package ok: $deb"
