// The TagLib side of FLAC, Ogg Vorbis, Ogg Opus and MP4 tags, built as its own module
// (brindle-formats.so) that the add-on loads on first use.
#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/opusfile.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tfilestream.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <unistd.h>

#include <memory>

#include "tags/mp4/formats_codec.h"

namespace {

using TagLib::String;

class quiet_listener : public TagLib::DebugListener {
public:
    void printMessage(const String &) override {}
};

std::string to_utf8(const String &text) {
    return text.to8Bit(true);
}

String from_utf8(const char *text) {
    return String(text, String::UTF8);
}

// Vorbis comment names, upper case as TagLib keys them (FMPS_Rating is FMPS_RATING).
const char *const xiph_rating_keys[RATING_CONVENTION_COUNT] = {nullptr, "FMPS_RATING", "RATING",
                                                               nullptr};
const char kMp4RateItem[] = "rate";

void read_xiph(const TagLib::Ogg::XiphComment *comment, format_texts *texts) {
    if (comment == nullptr)
        return;
    texts->hasTag = true;
    const TagLib::Ogg::FieldListMap &fields = comment->fieldListMap();
    auto first = [&](const char *key) {
        auto found = fields.find(key);
        return found == fields.end() || found->second.isEmpty() ? std::string()
                                                                : to_utf8(found->second.front());
    };
    texts->title = first("TITLE");
    texts->artist = first("ARTIST");
    texts->album = first("ALBUM");
    auto genres = fields.find("GENRE");
    if (genres != fields.end()) {
        for (const String &genre : genres->second)
            texts->genres.push_back(to_utf8(genre));
    }
    for (int i = 0; i < RATING_CONVENTION_COUNT; i++) {
        if (xiph_rating_keys[i] != nullptr)
            texts->ratings[i] = first(xiph_rating_keys[i]);
    }
}

void edit_xiph(TagLib::Ogg::XiphComment *comment, const format_edit &edit) {
    auto set = [&](const char *key, const char *text) {
        if (text == nullptr)
            return;
        if (*text == '\0')
            comment->removeFields(key);
        else
            comment->addField(key, from_utf8(text), true);
    };
    set("TITLE", edit.title);
    set("ARTIST", edit.artist);
    set("ALBUM", edit.album);
    set("GENRE", edit.genre);
    for (int i = 0; i < RATING_CONVENTION_COUNT; i++) {
        if (xiph_rating_keys[i] != nullptr)
            set(xiph_rating_keys[i], edit.ratings[i]);
    }
}

void read_mp4(TagLib::MP4::Tag *tag, format_texts *texts) {
    if (tag == nullptr)
        return;
    texts->hasTag = !tag->isEmpty();
    texts->title = to_utf8(tag->title());
    texts->artist = to_utf8(tag->artist());
    texts->album = to_utf8(tag->album());
    // TagLib gives a numbered gnre as its name, under ©gen.
    if (!tag->genre().isEmpty())
        texts->genres.push_back(to_utf8(tag->genre()));
    if (tag->contains(kMp4RateItem)) {
        const TagLib::MP4::Item rate = tag->item(kMp4RateItem);
        texts->ratings[RATING_MP4_RATE] = rate.toStringList().isEmpty()
                                              ? std::to_string(rate.toInt())
                                              : to_utf8(rate.toStringList().front());
    }
}

void edit_mp4(TagLib::MP4::Tag *tag, const format_edit &edit) {
    if (edit.title != nullptr)
        tag->setTitle(from_utf8(edit.title));
    if (edit.artist != nullptr)
        tag->setArtist(from_utf8(edit.artist));
    if (edit.album != nullptr)
        tag->setAlbum(from_utf8(edit.album));
    if (edit.genre != nullptr) {
        tag->removeItem("gnre");
        tag->setGenre(from_utf8(edit.genre));
    }
    if (const char *rate = edit.ratings[RATING_MP4_RATE])
        tag->setItem(kMp4RateItem, TagLib::StringList(from_utf8(rate)));
}

// Runs `use` on the file open on `fd` as `format`; `use` returns false to fail.
template <typename Use>
bool with_file(int fd, tag_format format, bool readOnly, Use use) {
    TagLib::FileStream stream(fd, readOnly);
    if (!stream.isOpen()) {
        close(fd);
        return false;
    }
    switch (format) {
        case TAG_FORMAT_FLAC: {
            TagLib::FLAC::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
            return file.isValid() && use(file, file.xiphComment(!readOnly), nullptr);
        }
        case TAG_FORMAT_VORBIS: {
            TagLib::Ogg::Vorbis::File file(&stream, false);
            return file.isValid() && use(file, file.tag(), nullptr);
        }
        case TAG_FORMAT_OPUS: {
            TagLib::Ogg::Opus::File file(&stream, false);
            return file.isValid() && use(file, file.tag(), nullptr);
        }
        case TAG_FORMAT_MP4: {
            TagLib::MP4::File file(&stream, false);
            return file.isValid() && use(file, nullptr, file.tag());
        }
        case TAG_FORMAT_ID3V2:
            // Our own code reads and writes an MP3's ratings (tags/id3v2/id3v2_rating.h).
            return false;
    }
    return false;
}

bool read_tag(int fd, tag_format format, format_texts *texts) {
    return with_file(fd, format, true,
                     [&](TagLib::File &, TagLib::Ogg::XiphComment *xiph, TagLib::MP4::Tag *mp4) {
                         read_xiph(xiph, texts);
                         read_mp4(mp4, texts);
                         return true;
                     });
}

bool write_tag(int fd, tag_format format, const format_edit &edit) {
    return with_file(
        fd, format, false,
        [&](TagLib::File &file, TagLib::Ogg::XiphComment *xiph, TagLib::MP4::Tag *mp4) {
            if (xiph != nullptr)
                edit_xiph(xiph, edit);
            else if (mp4 != nullptr)
                edit_mp4(mp4, edit);
            else
                return false;
            return file.save();
        });
}

const formats_codec codec = {FORMATS_CODEC_ABI, read_tag, write_tag};

}  // namespace

extern "C" __attribute__((visibility("default"))) const formats_codec *brindle_formats_codec() {
    static quiet_listener listener;
    TagLib::setDebugListener(&listener);
    return &codec;
}
