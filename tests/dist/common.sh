# Sourced by the dist tests: strict mode, a scratch folder, fail(), no module path from the environment.
set -euo pipefail
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
unset ORN_ADS_MODULE
