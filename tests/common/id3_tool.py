#!/usr/bin/python3
"""ID3v2 tags made and read by mutagen, a tagger Brindle did not write.

  id3_tool.py make FILE KEY=VALUE...   put a new tag in front of FILE (replacing any)
  id3_tool.py dump FILE                print the tag as KEY=VALUE lines ("tag=none" if none)

make keys: version (3 or 4), encoding (0 Latin-1, 1 UTF-16, 3 UTF-8), padding (bytes),
title, artist, album, genre (TCON's text as given), picture (any value: a PNG cover),
lyrics (USLT), replaygain (TXXX:REPLAYGAIN_TRACK_GAIN), popm (EMAIL:RATING:COUNT, a POPM
frame), fmps (TXXX:FMPS_Rating). dump prints a POPM frame as POPM:EMAIL=RATING COUNT.
"""
import hashlib
import sys

from mutagen.id3 import (APIC, ID3, POPM, TALB, TCON, TIT2, TPE1, TXXX, USLT,
                         ID3NoHeaderError)

# A 1x1 PNG: a picture frame as taggers store cover art.
PNG = bytes.fromhex(
    "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
    "1f15c4890000000d4944415478da63f8cfc0f01f0005000201a1f3b3a60000000049454e44ae426082")


def make(path, keys):
    tag = ID3()
    encoding = int(keys.get("encoding", 3))
    for key, frame in (("title", TIT2), ("artist", TPE1), ("album", TALB), ("genre", TCON)):
        if key in keys:
            tag.add(frame(encoding=encoding, text=[keys[key]]))
    if "picture" in keys:
        tag.add(APIC(encoding=0, mime="image/png", type=3, desc="cover", data=PNG))
    if "lyrics" in keys:
        tag.add(USLT(encoding=encoding, lang="eng", desc="", text=keys["lyrics"]))
    if "replaygain" in keys:
        tag.add(TXXX(encoding=0, desc="REPLAYGAIN_TRACK_GAIN", text=[keys["replaygain"]]))
    if "popm" in keys:
        email, rating, count = keys["popm"].rsplit(":", 2)
        tag.add(POPM(email=email, rating=int(rating), count=int(count)))
    if "fmps" in keys:
        tag.add(TXXX(encoding=0, desc="FMPS_Rating", text=[keys["fmps"]]))
    padding = int(keys.get("padding", 1024))
    tag.save(path, v2_version=int(keys.get("version", 4)), padding=lambda info: padding)


def dump(path):
    try:
        tag = ID3(path, translate=False, load_v1=False)
    except ID3NoHeaderError:
        print("tag=none")
        return
    print("version=%d.%d.%d" % tag.version)
    for key, frame in sorted(tag.items()):
        if key == "TCON":
            print("genres=" + "|".join(frame.genres))
        if key.startswith("T"):
            print("%s=%s" % (key, "|".join(str(t) for t in frame.text)))
            print("%s.encoding=%d" % (key, frame.encoding))
        elif key.startswith("APIC"):
            print("APIC=%s %s" % (frame.mime, hashlib.sha1(frame.data).hexdigest()))
        elif key.startswith("POPM"):
            print("%s=%d %d" % (key, frame.rating, getattr(frame, "count", 0)))
        elif key.startswith("USLT"):
            print("USLT=" + frame.text)
        else:
            print(key + "=")


def main(argv):
    if len(argv) >= 3 and argv[1] == "make":
        make(argv[2], dict(arg.split("=", 1) for arg in argv[3:]))
    elif len(argv) == 3 and argv[1] == "dump":
        dump(argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
