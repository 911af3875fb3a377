#!/usr/bin/env bash
# The soak run: COUNT (500) 16Base pictures, copies of the fixtures under
# disc-like names (DISC01/PHOTO_CD/IMAGES/IMG0001.PCD ...), through the
# conversion worker as the window runs it, with its look-ahead and the
# converter on every core (bench/soak/soak.cpp). It fails when
#  - the resident memory, the open descriptors or the threads (the highest
#    of each in every 50 files) grow past the first 50 files' by more than
#    5 %,
#  - a file is not converted, or a temporary file is left (the converter's
#    pictures, its temporary files, the save's temporary files),
#  - an output differs from the single-file console conversion of the same
#    picture (the copies are byte for byte their fixture, so one console
#    run per fixture stands for all its copies).
# Outputs are compared and deleted while the run goes on (500 TIFFs would
# take 9 GB). Not part of `make test`; some 5 minutes on 2 cores.
#
#   bench/soak/run.sh [BUILD_FOLDER]     (default build/release)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/release}
count=${COUNT:-500}
per_disc=50
fixtures=(kodak_16base photo_16base photo_portrait_16base kodak_rot180_16base)
cmake --build "$build" --target pixmera pixmera_bench_soak -j 2 > /dev/null

work=$(mktemp -d /tmp/pixmera-soak.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/runtime" "$work/ref" "$work/out" "$work/discs"
# The console's single-instance lock goes to the runtime folder, so the
# configuration folder holds only what conversions leave.
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
for fixture in "${fixtures[@]}"; do
  "$build/bin/pixmera" -q -i "tests/data/pcd/$fixture.pcd" -o "$work/ref"
done

declare -A source_of
for ((i = 0; i < count; i++)); do
  name=$(printf 'DISC%02d/PHOTO_CD/IMAGES/IMG%04d' $((i / per_disc + 1)) $((i % per_disc + 1)))
  fixture=${fixtures[$((i % ${#fixtures[@]}))]}
  mkdir -p "$work/discs/$(dirname "$name")"
  cp "tests/data/pcd/$fixture.pcd" "$work/discs/$name.PCD"
  source_of[$name]=$fixture
done

# Compares every finished output (a TIFF is renamed into place whole) with
# its fixture's and deletes it.
verify_outputs() {
  find "$work/out" -type f -name '[!.]*.tiff' -print0 | while IFS= read -r -d '' tiff; do
    name=${tiff#"$work/out/"}
    name=${name%.tiff}
    if ! cmp -s "$tiff" "$work/ref/${source_of[$name]}.tiff"; then
      echo "differs from its single-file conversion: $name" | tee -a "$work/differs"
    fi
    rm -f "$tiff"
    echo "$name" >> "$work/verified"
  done
}

echo "soak: $count files, $(nproc) cores, build $build"
/usr/bin/time -f 'peak_rss_kib %M' -o "$work/time" \
  "$build/bin/pixmera_bench_soak" "$work/out" "$work/discs" > "$work/report" &
soak=$!
while kill -0 "$soak" 2> /dev/null; do
  verify_outputs
  sleep 1
done
status=0
wait "$soak" || status=$?
verify_outputs
cat "$work/report"

failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}
[ "$status" -eq 0 ] || fail "the soak program exited with $status"
verified=$(sort -u "$work/verified" 2> /dev/null | wc -l)
[ "$verified" -eq "$count" ] || fail "$verified of $count outputs found"
[ ! -s "$work/differs" ] || fail "$(wc -l < "$work/differs") outputs differ"
leftover=$( (find "$work/config" "$work/out" -type f; find "$work/discs" -type f ! -name '*.PCD') | head)
[ -z "$leftover" ] || fail "files left behind: $leftover"
# Growth past the first 50 files, each figure with 5 % of noise allowed.
growth=$(awk '/^files / {
    if (!seen) { rss = $4; fds = $6; threads = $8; seen = 1; next }
    if ($4 > rss * 1.05) print "resident memory " rss " -> " $4 " KiB after " $2 " files"
    if ($6 > fds * 1.05) print "descriptors " fds " -> " $6 " after " $2 " files"
    if ($8 > threads * 1.05) print "threads " threads " -> " $8 " after " $2 " files"
  }' "$work/report")
[ -z "$growth" ] || fail "$growth"

seconds=$(awk '/^converted / { print $(NF - 1) }' "$work/report")
echo "files per second: $(awk -v n="$count" -v s="$seconds" 'BEGIN { printf "%.2f", n / s }')"
echo "peak memory: $(awk '{ printf "%.0f MiB", $2 / 1024 }' "$work/time")"
if [ "$failed" -ne 0 ]; then exit 1; fi
echo "soak: passed"
