# Sourced by the Windows tests: named checks that count what passed and what
# failed, and the comparisons they use.
#
#   check "what is checked" COMMAND [ARGUMENT...]   counts COMMAND's outcome
#   checks_end NAME                                 prints the counts; status
#                                                   1 when a check failed

passed=0 failed=0
check() {
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $what"
  fi
}
checks_end() {
  echo "$1: $passed passed, $failed failed${2:+ $2}"
  [ "$failed" -eq 0 ]
}

same_text() { [ "$1" == "$2" ] || { echo "  got:      '$1'"; echo "  expected: '$2'"; return 1; }; }
holds() { [[ "$1" == *"$2"* ]] || { echo "  '$2' not in:"; printf '%s\n' "$1" | sed 's/^/    /'; return 1; }; }
at_least() { [ "$1" -ge "$2" ] || { echo "  $1 is less than $2"; return 1; }; }

# Pictures, through ImageMagick.
size_of() { identify -format '%w %h' "$1" 2>/dev/null; }
# The number of pixels that differ; "missing" when a file is not there.
differing_pixels() {
  [ -f "$1" ] && [ -f "$2" ] || { echo missing; return; }
  compare -metric AE "$1" "$2" null: 2>&1 || true
}
same_pixels() { local n; n=$(differing_pixels "$1" "$2"); same_text "$n" 0; }
# The number of colours a picture holds; 0 when it cannot be read.
colours() { identify -format '%k' "$1" 2>/dev/null || echo 0; }
