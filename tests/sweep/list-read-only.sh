#!/usr/bin/env bash
# scripts/sweep --list on a build folder it cannot write to: the listing is whole, nothing is
# written into the build folder and no scratch folder is left behind.
# Usage: list-read-only.sh SOURCE_DIR BUILD_DIR
set -u
root="$1"
build="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "list-read-only: $*" >&2; exit 1; }
fake="$scratch/build"
mkdir -p "$fake/tests/sweep" "$fake/tools/vornex" "$fake/tools/kelno" "$scratch/tmp"
for program in tests/sweep/vornex-sweep tools/vornex/vornex tools/kelno/kelno; do
  ln -s "$build/$program" "$fake/$program"
done
# A file where the work folder would go: no folder can be made there, even by a superuser,
# to whom a folder's permissions deny nothing.
touch "$fake/sweep"
before="$(find "$fake" | sort)"
if ! TMPDIR="$scratch/tmp" "$root/scripts/sweep" --list "$fake" >"$scratch/out" 2>"$scratch/err"; then
  cat "$scratch/err" >&2
  fail "the listing failed"
fi
for line in "model wagner" "kelno pp pyroclast" "cubic PR CH4 nC5H12" "locale de_DE.UTF-8"; do
  grep -qxF "$line" "$scratch/out" || fail "no line '$line' in the listing"
done
[ "$(find "$fake" | sort)" = "$before" ] || fail "the listing wrote into the build folder"
[ -z "$(ls -A "$scratch/tmp")" ] || fail "the listing left $(ls -A "$scratch/tmp")"
echo "list-read-only: $(wc -l <"$scratch/out") configurations listed"
