#!/usr/bin/env bash
# cpack -G DEB: computed dependencies, and the programs run from the unpacked package.
source "$(dirname "$0")/common.sh"
build=$1 version=$2

(cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >/dev/null)
debs=("$tmp"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no package built"
deb=${debs[0]}
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libssl libldap libminizip libqt6widgets6; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

dpkg-deb -x "$deb" "$tmp/root"
[ "$("$tmp/root/usr/bin/orncfg-cli" --version)" = "orncfg-cli $version" ] || fail "--version from the package"
[ -f "$tmp/root/usr/lib/orncfg/libornads.so" ] || [ -n "$(ls "$tmp"/root/usr/lib/*/orncfg/libornads.so 2>/dev/null)" ] ||
  fail "module missing"
grep -q '^ExecStart=/usr/bin/orncfg-cli backup ' "$tmp/root/usr/lib/systemd/system/orncfg-backup.service" ||
  fail "ExecStart does not name /usr/bin/orncfg-cli"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
echo "Depends: $depends"
