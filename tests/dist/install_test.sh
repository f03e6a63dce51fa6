#!/usr/bin/env bash
# cmake --install into a scratch prefix; the programs find their module, help and completion there.
source "$(dirname "$0")/common.sh"
build=$1 version=$2

cmake --install "$build" --prefix "$tmp/usr" >/dev/null
cli=$tmp/usr/bin/orncfg-cli
[ "$("$cli" --version)" = "orncfg-cli $version" ] || fail "--version: $("$cli" --version)"

# The module lies in <libdir>/orncfg: a read that gets as far as the network shows it was loaded.
[ ! -e "$tmp/usr/bin/libornads.so" ] || fail "module installed beside the programs"
eval "$("$tmp/usr/libexec/orncfg/orn-demo" "$tmp/demo")"
out=$("$cli" users import-ldap 127.0.0.1:1 2>&1) && fail "import from a closed port succeeded"
[[ $out != *"loading libornads.so failed"* ]] || fail "module not found: $out"
[[ $out == *"Die Benutzerdaten konnten nicht importiert werden."* ]] || fail "unexpected: $out"

for file in share/doc/orncfg/orncfg.html share/man/man1/orncfg.1 share/man/man1/orncfg-cli.1 \
            share/applications/orncfg.desktop lib/systemd/system/orncfg-backup.service \
            lib/systemd/system/orncfg-backup.timer libexec/orncfg/orn libexec/orncfg/orn-demo bin/orncfg; do
  [ -f "$tmp/usr/$file" ] || fail "$file not installed"
done
grep -q "^ExecStart=$tmp/usr/bin/orncfg-cli backup " "$tmp/usr/lib/systemd/system/orncfg-backup.service" ||
  fail "ExecStart does not name the installed orncfg-cli"

# The completion offers the verbs and a verb's options, read from the installed program.
PATH=$tmp/usr/bin:$PATH
set +u  # completions run in an interactive shell's settings
source "$tmp/usr/share/bash-completion/completions/orncfg-cli"
compopt() { :; }
COMP_WORDS=(orncfg-cli re) COMP_CWORD=1
_orncfg_cli
[ "${COMPREPLY[*]}" = "restore reg" ] || fail "verbs: ${COMPREPLY[*]}"
COMP_WORDS=(orncfg-cli backup --k) COMP_CWORD=2
_orncfg_cli
[ "${COMPREPLY[*]}" = "--keep" ] || fail "options: ${COMPREPLY[*]}"
echo "installed and run from $tmp/usr"
