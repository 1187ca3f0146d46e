#!/usr/bin/env bash
# The add-on's main job on the example files: the player walks its playlist with the
# Brindle window open, the form follows each file, edits are saved to the files'
# attributes and, for MP3s, their ID3v1 tags. Afterwards the files are shown as
# getfattr and the tags' last 128 bytes show them.
#
# usage: examples/run-demo.sh BUILD_DIR DIR
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR DIR" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
dir=$2

"$here/make-examples.sh" "$dir" >/dev/null
echo "== the player, with the add-on following its playlist"
"$build/brindle-player" --headless --add-on "$build/add-ons/brindle.so" \
  --script "$here/demo.script" "$dir"/*

echo
echo "== what the files carry now"
for file in "$dir"/*; do
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
