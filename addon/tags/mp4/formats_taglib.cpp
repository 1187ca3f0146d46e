// The TagLib side of MP4 tags (the ilst atoms), built as its own module (brindle-formats.so)
// that the add-on loads on first use. Every other format's tag is read and written by our own
// code; TagLib edits only a copy of an MP4 file, which our checker reads back (mp4_check.h).
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tfilestream.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "formats_codec.h"

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

const char kMp4RateItem[] = "rate";
// The freeform item Strawberry, Clementine and Lollypop read an MP4's rating from.
const char kMp4FmpsItem[] = "----:com.apple.iTunes:FMPS_Rating";

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
        texts->rateIsInteger = rate.toStringList().isEmpty();
        texts->ratings[RATING_MP4_RATE] = texts->rateIsInteger
                                              ? std::to_string(rate.toInt())
                                              : to_utf8(rate.toStringList().front());
    }
    if (tag->contains(kMp4FmpsItem) && !tag->item(kMp4FmpsItem).toStringList().isEmpty())
        texts->ratings[RATING_FMPS] = to_utf8(tag->item(kMp4FmpsItem).toStringList().front());
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
    // An integer rate stays one: another program wrote it so, and reads it so.
    if (const char *rate = edit.ratings[RATING_MP4_RATE]) {
        tag->setItem(kMp4RateItem, edit.rateAsInteger
                                       ? TagLib::MP4::Item(atoi(rate))
                                       : TagLib::MP4::Item(TagLib::StringList(from_utf8(rate))));
    }
    if (const char *fmps = edit.ratings[RATING_FMPS])
        tag->setItem(kMp4FmpsItem, TagLib::StringList(from_utf8(fmps)));
}

// Runs `use` on the MP4 file open on `fd` (which it closes); `use` returns false to fail.
template <typename Use>
bool with_mp4_file(int fd, tag_format format, bool readOnly, Use use) {
    if (format != TAG_FORMAT_MP4) {
        close(fd);
        return false;
    }
    TagLib::FileStream stream(fd, readOnly);
    if (!stream.isOpen()) {
        close(fd);
        return false;
    }
    TagLib::MP4::File file(&stream, false);
    return file.isValid() && file.tag() != nullptr && use(file, file.tag());
}

bool read_tag(int fd, tag_format format, format_texts *texts) {
    return with_mp4_file(fd, format, true, [&](TagLib::MP4::File &, TagLib::MP4::Tag *tag) {
        read_mp4(tag, texts);
        return true;
    });
}

bool write_tag(int fd, tag_format format, const format_edit &edit) {
    return with_mp4_file(fd, format, false, [&](TagLib::MP4::File &file, TagLib::MP4::Tag *tag) {
        edit_mp4(tag, edit);
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
