# Sourced by the packaging and service tests: strict mode, a scratch folder removed on exit, fail(), and no
# module path from the environment (the programs must find theirs).
set -euo pipefail
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
unset ORN_ADS_MODULE
