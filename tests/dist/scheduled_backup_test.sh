#!/usr/bin/env bash
# The backup service's ExecStart line as systemd runs it (credentials in $CREDENTIALS_DIRECTORY)
# into a folder holding three older archives, with --keep 2.
source "$(dirname "$0")/common.sh"
cli=$1 demo=$2 unit=$3
trap '"$cli" server stop >/dev/null 2>&1 || true; rm -rf "$tmp"' EXIT

eval "$("$demo" "$tmp/demo")"
mkdir -m 0700 "$tmp/credentials"
backups=$tmp/backups
mkdir "$backups"
for day in 01 02 03; do
  echo alt >"$backups/orn_${day}1126.eff"
  touch -d "2026-11-$day 03:00" "$backups/orn_${day}1126.eff"
done
echo notiz >"$backups/notes.txt"
echo alt >"$backups/orn_keep.txt"

# ExecStart with the program, the target folder and the count of this test; words unquoted.
read -r -a words <<<"$(sed -n 's/^ExecStart=//p' "$unit")"
args=("$cli")
for ((i = 1; i < ${#words[@]}; i++)); do
  word=${words[i]//\$\{CREDENTIALS_DIRECTORY\}/$tmp/credentials}
  [ "$word" = /var/backups/orn ] && word=$backups
  [ "${words[i-1]}" = --keep ] && word=2
  args+=("$word")
done
[[ " ${args[*]} " == *" --keep 2 "* && " ${args[*]} " == *" --output $backups "* ]] || fail "ExecStart: ${words[*]}"

# Without the credential the run fails and removes nothing.
"${args[@]}" >/dev/null 2>&1 && fail "backup without a password succeeded"
[ "$(ls "$backups" | wc -l)" -eq 5 ] || fail "a failed run changed the folder: $(ls "$backups")"

printf 'Geheim 1\n' >"$tmp/credentials/orncfg-archive-password"
chmod 0600 "$tmp/credentials/orncfg-archive-password"
CREDENTIALS_DIRECTORY=$tmp/credentials "${args[@]}" || fail "backup failed"
today=orn_$(date +%d%m%y).eff
expected=$(printf '%s\n' notes.txt orn_031126.eff orn_keep.txt "$today" | sort)
[ "$(cd "$backups" && ls | sort)" = "$expected" ] ||
  fail "left: $(ls "$backups")"
"$cli" verify "$backups/$today" --password-file "$tmp/credentials/orncfg-archive-password" >/dev/null ||
  fail "the new archive does not verify"
echo "kept: orn_031126.eff $today"
