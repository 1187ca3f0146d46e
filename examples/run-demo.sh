#!/usr/bin/env bash
# The add-on's main job on the example files: the player walks its playlist with the
# Brindle window open, the form follows each file, and the edits of demo.script are
# saved into the files (their attributes and, for MP3s, their tags). Shown: each file's
# fields before and after, as the Brindle window reads them, in a small table. The
# add-on's own diagnostic lines, untouched, and what the files store go to LOG.
#
# usage: examples/run-demo.sh BUILD_DIR DIR [LOG]   (LOG: BUILD_DIR/demo.log)
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 BUILD_DIR DIR [LOG]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
dir=$2
log=${3:-$build/demo.log}

"$here/make-examples.sh" "$dir" >/dev/null
files=("$dir"/*)

player() {  # SCRIPT: the player headless with the add-on on every example file
  "$build/brindle-player" --headless --add-on "$build/add-ons/brindle.so" --script "$1" \
    "${files[@]}"
}

# What the form shows for each file, one "= FIELD VALUE" line per field, file after
# file. Reading only: a file the form merely showed is never written.
read_fields() {
  local script
  script=$(mktemp)
  { echo enable; for _ in "${files[@]}"; do echo form; echo next; done; } >"$script"
  player "$script" | grep -E '^= (title|album|artist|genre|rating|volume)( |$)' || true
  rm -f "$script"
}

before=$(read_fields)
{
  echo "== the player with the add-on on ${#files[@]} files, running examples/demo.script"
  player "$here/demo.script"
} >"$log" 2>&1
after=$(read_fields)

# One table per file: each field before and after; "-" where the form shows nothing.
paste -d '\t' <(printf '%s\n' "$before") <(printf '%s\n' "$after") | awk -F '\t' -v names="$(
  for file in "${files[@]}"; do basename "$file"; done | paste -sd '\t')" '
  BEGIN {
    split(names, file, "\t")
    split("Title,Album,Artist,Genre,Rating,Vol. Adjust", label, ",")
  }
  function value(line) { sub(/^= [a-z]+ ?/, "", line); return line == "" ? "-" : line }
  {
    n = (NR - 1) % 6 + 1
    if (n == 1) printf "%s%s\n  %-12s %-22s %s\n", (NR > 1 ? "\n" : ""), file[(NR - 1) / 6 + 1], "", "before", "after"
    b = value($1); a = value($2)
    printf "  %-12s %-22s %s%s\n", label[n], b, a, (a != b ? "   (changed)" : "")
  }'

{
  echo
  echo "== what the files store now"
  for file in "${files[@]}"; do
    echo "-- $file"
    # Decoded from the stored bytes: 'CSTR' texts keep their NUL, 'LONG' is 4 bytes LE.
    getfattr --absolute-names -d -e hex -m 'user\.haiku\.Audio:' "$file" 2>/dev/null | perl -ne '
      next unless /^user\.haiku\.(\S+?)=0x([0-9a-f]*)$/;
      my ($name, $bytes) = ($1, pack("H*", $2));
      my ($type, $value) = (substr($bytes, 0, 4), substr($bytes, 4));
      if ($type eq "RTSC") { $value =~ s/\0.*//s; print "$name = \"$value\"\n"; }
      elsif ($type eq "GNOL") { print "$name = ", unpack("l<", $value), "\n"; }
    ' || true
    if [ "$(tail -c 128 "$file" | head -c 3)" = "TAG" ]; then
      echo "ID3v1: $(tail -c 125 "$file" | head -c 30 | tr -d '\0') / $(tail -c 95 "$file" | head -c 30 | tr -d '\0') / $(tail -c 65 "$file" | head -c 30 | tr -d '\0')"
    fi
  done
} >>"$log"
echo
echo "The add-on's own lines, as it printed them, and what the files store: $log"
