#!/usr/bin/env bash
# Makes example audio files for Brindle in DIR: small MP3s encoded by lame from
# generated tones, some already described by attributes or an ID3v1 tag, and one
# file that is not MPEG audio at all.
#
# usage: examples/make-examples.sh DIR
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 DIR" >&2
  exit 2
fi
dir=$1
mkdir -p "$dir"
for tool in lame setfattr perl; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is needed (scripts/install-deps)" >&2; exit 1; }
done

# tone FILE FREQUENCY SECONDS: a mono 16-bit 8 kHz WAV with a sine.
tone() {
  perl -e '
    my ($freq, $seconds) = @ARGV; my $rate = 8000; my $data = "";
    for my $i (0 .. int($rate * $seconds) - 1) {
      $data .= pack("s<", int(8000 * sin(6.283185307 * $freq * $i / $rate)));
    }
    print "RIFF", pack("V", 36 + length $data), "WAVEfmt ",
          pack("VvvVVvv", 16, 1, 1, $rate, $rate * 2, 2, 16), "data", pack("V", length $data), $data;
  ' -- "$2" "$3" > "$1"
}

# Attributes as the platform stores them: xattr user.haiku.NAME, value = type code
# (little-endian) followed by the bytes; texts keep their NUL.
text_attr() {  # FILE NAME TEXT
  setfattr -n "user.haiku.$2" -v "0x$(printf 'RTSC%s\0' "$3" | od -An -v -tx1 | tr -d ' \n')" "$1"
}
int_attr() {  # FILE NAME VALUE
  setfattr -n "user.haiku.$2" -v "0x$(perl -e 'print unpack("H*", "GNOL" . pack("l<", $ARGV[0]))' -- "$3")" "$1"
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tone "$scratch/a.wav" 440 1.0
tone "$scratch/b.wav" 523 1.0
tone "$scratch/c.wav" 659 1.0

# No tag, no attributes: the form starts empty, and the tag appears once it is saved.
rm -f "$dir/01-morning.mp3" "$dir/02-evening.mp3" "$dir/03-night.mp3" "$dir/04-notes.txt"
lame --quiet "$scratch/a.wav" "$dir/01-morning.mp3"

# An ID3v1 tag only: the form falls back to it.
lame --quiet --id3v1-only --tt "Evening" --ta "The Examples" --tl "Generated Tones" --tg "Jazz" \
  "$scratch/b.wav" "$dir/02-evening.mp3"

# Attributes and a tag that disagree: the attributes win; its volume adjustment of -2
# lowers the playlist volume by half a unit while it is current.
lame --quiet --id3v1-only --tt "Tag Title" --ta "The Examples" --tg "Rock" \
  "$scratch/c.wav" "$dir/03-night.mp3"
text_attr "$dir/03-night.mp3" Audio:Title "Night"
text_attr "$dir/03-night.mp3" Audio:Album "Generated Tones"
text_attr "$dir/03-night.mp3" Audio:Genre "Ambient"
int_attr "$dir/03-night.mp3" Audio:Rating 8
int_attr "$dir/03-night.mp3" Audio:VolumeAdjustment -2

# Not MPEG audio: it gets the attributes, never a tag.
printf 'Liner notes for the example tones.\n' > "$dir/04-notes.txt"

ls -l "$dir"
