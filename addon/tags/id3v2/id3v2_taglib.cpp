// The TagLib side of ID3v2 support, built as its own module (brindle-id3v2.so) that the
// add-on loads on first use. It works on bytes only: the add-on reads and writes the file.
#include <taglib/id3v1genres.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/taglib.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tdebuglistener.h>
#include <taglib/textidentificationframe.h>

#include <memory>

#include "id3v2_codec.h"

namespace {

using TagLib::ByteVector;
using TagLib::String;
using TagLib::ID3v2::TextIdentificationFrame;

const char *const frame_ids[ID3V2_TEXT_COUNT] = {"TIT2", "TPE1", "TALB", "TCON"};

// TagLib's debug messages would land on the player's standard error.
class quiet_listener : public TagLib::DebugListener {
public:
    void printMessage(const String &) override {}
};

// A tag held in memory, opened as an MPEG file without audio properties.
class tag_in_memory {
public:
    tag_in_memory(const char *tag, size_t length)
        : fBytes(tag, static_cast<unsigned int>(length)),
          fStream(fBytes),
#if TAGLIB_MAJOR_VERSION >= 2
          fFile(&fStream, false, TagLib::MPEG::Properties::Average,
                TagLib::ID3v2::FrameFactory::instance())
#else
          fFile(&fStream, TagLib::ID3v2::FrameFactory::instance(), false)
#endif
    {
    }

    TagLib::ID3v2::Tag *Tag() {
        return fFile.isValid() && fFile.hasID3v2Tag() ? fFile.ID3v2Tag() : nullptr;
    }

private:
    ByteVector fBytes;
    TagLib::ByteVectorStream fStream;
    TagLib::MPEG::File fFile;
};

std::string to_std(const ByteVector &bytes) {
    return std::string(bytes.data(), bytes.size());
}

std::string to_utf8(const String &text) {
    return text.to8Bit(true);
}

// Frames are decoded one by one through TagLib's frame factory: opening the tag as a file
// would cost TagLib a search for other tags and a dozen allocations more for each load.
bool read_texts(const char *tag, size_t length, id3v2_texts *texts) {
    if (length < TagLib::ID3v2::Header::size())
        return false;
    const ByteVector data(tag, static_cast<unsigned int>(length));
    const TagLib::ID3v2::Header header(data.mid(0, TagLib::ID3v2::Header::size()));
    const TagLib::ID3v2::FrameFactory *factory = TagLib::ID3v2::FrameFactory::instance();
    const unsigned int frameHeaderSize = TagLib::ID3v2::Frame::headerSize(header.majorVersion());
    bool seen[ID3V2_TEXT_COUNT] = {};
    unsigned int offset = TagLib::ID3v2::Header::size();
    while (offset + frameHeaderSize <= data.size() && data[offset] != 0) {
        std::unique_ptr<TagLib::ID3v2::Frame> frame(
            factory->createFrame(data.mid(offset), &header));
        if (!frame || frame->size() == 0)
            break;
        offset += frame->size() + frameHeaderSize;
        auto *text = dynamic_cast<TextIdentificationFrame *>(frame.get());
        int index = 0;
        while (index < ID3V2_TEXT_COUNT && frame->frameID() != frame_ids[index])
            index++;
        // As TagLib's own tag does, the first frame of each kind counts.
        if (text == nullptr || index == ID3V2_TEXT_COUNT || seen[index])
            continue;
        seen[index] = true;
        switch (index) {
            case ID3V2_TITLE:
                texts->title = to_utf8(text->toString());
                break;
            case ID3V2_ARTIST:
                texts->artist = to_utf8(text->toString());
                break;
            case ID3V2_ALBUM:
                texts->album = to_utf8(text->toString());
                break;
            default:
                // The factory has already turned "(17)" into "17".
                for (const String &value : text->fieldList())
                    texts->genres.push_back(to_utf8(value));
        }
    }
    return true;
}

// A text frame rendered for a given tag version: it decides the frame's size field and the
// encoding TagLib falls back to for text beyond Latin-1.
class versioned_text_frame : public TextIdentificationFrame {
public:
    versioned_text_frame(const char *id, int major)
        : TextIdentificationFrame(ByteVector(id, 4), String::Latin1) {
        header()->setVersion(major);
    }
};

bool render_text_frame(const char *id, const char *text, int major, std::string *rendered) {
    if (major != 3 && major != 4)
        return false;
    versioned_text_frame frame(id, major);
    frame.setText(String(text, String::UTF8));
    *rendered = to_std(frame.render());
    return true;
}

int genre_number(const char *name) {
    return TagLib::ID3v1::genreIndex(String(name, String::UTF8));
}

const id3v2_codec codec = {ID3V2_CODEC_ABI, read_texts, render_text_frame, genre_number};

}  // namespace

extern "C" __attribute__((visibility("default"))) const id3v2_codec *brindle_id3v2_codec() {
    static quiet_listener listener;
    TagLib::setDebugListener(&listener);
    return &codec;
}
