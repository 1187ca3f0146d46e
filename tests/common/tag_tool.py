#!/usr/bin/python3
"""FLAC, Ogg Vorbis, Opus and MP4 tags made and read by mutagen, a tagger Brindle did not write.

  tag_tool.py make FILE KEY=VALUE...   add to FILE's tag (created when missing)
  tag_tool.py strip FILE               remove FILE's tag (FLAC: its comment block; MP4: ilst)
  tag_tool.py dump FILE                print the tag as KEY=VALUE lines ("tag=none" if none)

make keys: title, artist, album, genre, picture (a PNG cover: 1 for a tiny one, a larger
number for one of that many bytes), replaygain
(REPLAYGAIN_TRACK_GAIN; MP4: its iTunes freeform item), and any rating convention by its own
name: RATING, FMPS_RATING, FMPS_Rating (comments), rate (MP4: text, or "int:N" for an
integer) or FMPS_Rating (MP4: its iTunes freeform item). dump keys: title, artist, album,
genre, picture (a SHA-1 of each picture), replaygain, and every rating convention present,
under the names above (comments upper case); for MP4 also rate.data, the hex of the rate
item's data atom after its header (type, locale, value).
"""
import base64
import hashlib
import sys

import mutagen
from mutagen.flac import FLAC, Picture
from mutagen.mp4 import MP4, MP4Cover, MP4FreeForm, MP4Tags, Atoms

PNG = bytes.fromhex(
    "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
    "1f15c4890000000d4944415478da63f8cfc0f01f0005000201a1f3b3a60000000049454e44ae426082")
MP4_NAMES = {"title": "\xa9nam", "artist": "\xa9ART", "album": "\xa9alb", "genre": "\xa9gen",
             "rate": "rate"}
MP4_GAIN = "----:com.apple.iTunes:REPLAYGAIN_TRACK_GAIN"
MP4_FMPS = "----:com.apple.iTunes:FMPS_Rating"
COMMENT_NAMES = {"replaygain": "REPLAYGAIN_TRACK_GAIN"}


def cover(size):
    size = int(size)
    return PNG if size <= len(PNG) else PNG + bytes(size - len(PNG))


def picture(size):
    pic = Picture()
    pic.type, pic.mime, pic.desc, pic.data = 3, "image/png", "cover", cover(size)
    return pic


def make(path, keys):
    audio = mutagen.File(path)
    if audio.tags is None:
        audio.add_tags()
    if isinstance(audio, MP4):
        for key, value in keys.items():
            if key == "picture":
                audio.tags["covr"] = [MP4Cover(cover(value), MP4Cover.FORMAT_PNG)]
            elif key == "replaygain":
                audio.tags[MP4_GAIN] = [MP4FreeForm(value.encode())]
            elif key == "FMPS_Rating":
                audio.tags[MP4_FMPS] = [MP4FreeForm(value.encode())]
            elif key == "rate" and value.startswith("int:"):
                # mutagen knows no rate item: render it as it renders tmpo, an integer.
                atoms = MP4Tags._MP4Tags__atoms
                atoms[b"rate"] = atoms[b"tmpo"][:2] + (1,)
                audio.tags["rate"] = [int(value[4:])]
            else:
                audio.tags[MP4_NAMES[key]] = [value]
    else:
        for key, value in keys.items():
            if key != "picture":
                audio.tags[COMMENT_NAMES.get(key, key)] = [value]
            elif isinstance(audio, FLAC):
                audio.add_picture(picture(value))
            else:
                data = base64.b64encode(picture(value).write()).decode()
                audio.tags["METADATA_BLOCK_PICTURE"] = [data]
    audio.save()


def strip(path):
    audio = mutagen.File(path)
    if isinstance(audio, FLAC):
        audio.metadata_blocks = [b for b in audio.metadata_blocks if b.code != 4]
        audio.tags = None
        audio.save(deleteid3=True)
    else:
        audio.delete()


def dump(path):
    audio = mutagen.File(path)
    if audio is None or (not audio.tags and not getattr(audio, "pictures", None)):
        print("tag=none")
        return
    tags = audio.tags
    if isinstance(audio, MP4):
        for name, key in MP4_NAMES.items():
            if key in tags:
                print("%s=%s" % (name, "|".join(str(v) for v in tags[key])))
        for cover in tags.get("covr", []):
            print("picture=" + hashlib.sha1(bytes(cover)).hexdigest())
        if MP4_GAIN in tags:
            print("replaygain=" + bytes(tags[MP4_GAIN][0]).decode())
        if MP4_FMPS in tags:
            print("FMPS_Rating=" + bytes(tags[MP4_FMPS][0]).decode())
        rate = raw_item(path, b"rate")
        if rate is not None:
            print("rate.data=" + rate.hex())
        return
    pictures = list(getattr(audio, "pictures", []))
    comments = tags.as_dict() if tags else {}
    for data in comments.get("metadata_block_picture", []):
        pictures.append(Picture(base64.b64decode(data)))
    for pic in pictures:
        print("picture=" + hashlib.sha1(pic.data).hexdigest())
    for key, values in sorted(comments.items()):
        key = key.upper()
        if key == "METADATA_BLOCK_PICTURE":
            continue
        name = {"REPLAYGAIN_TRACK_GAIN": "replaygain"}.get(key, key)
        if key in ("TITLE", "ARTIST", "ALBUM", "GENRE"):
            name = key.lower()
        print("%s=%s" % (name, "|".join(values)))


def raw_item(path, name):
    """The payload of the data atom of ilst item `name`, or None."""
    with open(path, "rb") as f:
        atoms = Atoms(f)
        try:
            ilst = atoms.path(b"moov", b"udta", b"meta", b"ilst")[-1]
        except KeyError:
            return None
        for item in ilst.children or []:
            if item.name == name:
                f.seek(item.offset + 8)
                data = f.read(item.length - 8)
                return data[8:]  # past the data atom's size and name
    return None


def main(argv):
    if len(argv) >= 3 and argv[1] == "make":
        make(argv[2], dict(arg.split("=", 1) for arg in argv[3:]))
    elif len(argv) == 3 and argv[1] == "strip":
        strip(argv[2])
    elif len(argv) == 3 and argv[1] == "dump":
        dump(argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
