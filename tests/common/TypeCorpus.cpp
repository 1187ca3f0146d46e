#include "TypeCorpus.h"

#include <unistd.h>

#include <cstdint>
#include <random>

#include "AudioFiles.h"
#include "TestFiles.h"

namespace test_support {

namespace {

void put_be(std::string *bytes, uint32_t value, int size) {
    for (int i = size - 1; i >= 0; --i)
        *bytes += static_cast<char>((value >> (8 * i)) & 0xff);
}

uint32_t crc32(const std::string &bytes) {
    uint32_t crc = 0xffffffffu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

std::string png_chunk(const std::string &type, const std::string &data) {
    std::string chunk;
    put_be(&chunk, static_cast<uint32_t>(data.size()), 4);
    chunk += type + data;
    put_be(&chunk, crc32(type + data), 4);
    return chunk;
}

// A 1x1 grey PNG.
std::string png_image() {
    std::string header;
    put_be(&header, 1, 4);                             // width
    put_be(&header, 1, 4);                             // height
    header += std::string("\x08\x00\x00\x00\x00", 5);  // 8-bit grey, no interlace
    // zlib stream of one scanline: filter byte 0 and one pixel 0x80, stored uncompressed.
    const std::string idat("\x78\x01\x01\x02\x00\xfd\xff\x00\x80\x00\x81\x00\x81", 13);
    return std::string("\x89PNG\r\n\x1a\n", 8) + png_chunk("IHDR", header) +
           png_chunk("IDAT", idat) + png_chunk("IEND", "");
}

// One Ogg page holding a Vorbis identification header, then a page of filler.
std::string ogg_vorbis() {
    std::string packet("\x01vorbis", 7);
    packet += std::string("\0\0\0\0", 4);      // version
    packet += '\x01';                          // channels
    packet += std::string("\x44\xac\0\0", 4);  // 44100 Hz
    packet += std::string(12, '\0');           // bitrates
    packet += std::string("\xb8\x01", 2);      // block sizes, framing
    std::string page("OggS\0\x02", 6);
    page += std::string(8, '\0');          // granule position
    page += std::string("\x01\0\0\0", 4);  // serial
    page += std::string(4, '\0');          // sequence
    page += std::string(4, '\0');          // checksum
    page += '\x01';
    page += static_cast<char>(packet.size());
    return page + packet + std::string(2000, '\x55');
}

// ADTS frames of AAC-LC, 44.1 kHz stereo, each 200 bytes with a zero payload.
std::string adts_aac() {
    std::string frames;
    const unsigned length = 200;
    for (int i = 0; i < 20; ++i) {
        frames += std::string("\xff\xf1\x50", 3);
        frames += static_cast<char>(0x80 | ((length >> 11) & 0x3));
        frames += static_cast<char>((length >> 3) & 0xff);
        frames += static_cast<char>(((length & 0x7) << 5) | 0x1f);
        frames += '\xfc';
        frames += std::string(length - 7, '\0');
    }
    return frames;
}

// An ID3v2.4 header for a tag of `size` bytes after it.
std::string id3v2_header(uint32_t size) {
    std::string header("ID3\x04\x00\x00", 6);
    for (int shift = 21; shift >= 0; shift -= 7)
        header += static_cast<char>((size >> shift) & 0x7f);
    return header;
}

}  // namespace

std::vector<CorpusFile> make_type_corpus(const std::string &directory,
                                         std::vector<std::string> *missing) {
    std::vector<CorpusFile> corpus;
    auto add = [&](const std::string &name, const std::string &file, const std::string &bytes) {
        const std::string path = directory + "/" + file;
        write_file(path, bytes);
        corpus.push_back({name, path});
    };

    // MP3s: MPEG-1 at 44.1 kHz, MPEG-2 at 22.05 kHz, MPEG-2.5 at 8 kHz (chosen by the input
    // rate); constant and variable bitrate; no tag, ID3v1, ID3v2, a padded ID3v2.
    const std::string wav44 = sine_wav(1.0, 44100, 440);
    struct Encoding {
        const char *name;
        const char *file;
        unsigned rate;
        const char *options;
    };
    const Encoding encodings[] = {
        {"mp3 mpeg-1 cbr", "cbr.mp3", 44100, "-b 128"},
        {"mp3 mpeg-1 cbr no info frame", "cbr-t.mp3", 44100, "-b 128 -t"},
        {"mp3 mpeg-1 vbr", "vbr.mp3", 44100, "-V 2"},
        {"mp3 mpeg-2", "mpeg2.mp3", 22050, "-b 64"},
        {"mp3 mpeg-2.5 vbr", "mpeg25.mp3", 8000, "-V 5"},
        {"mp3 id3v1", "id3v1.mp3", 44100, "--id3v1-only --tt Title --ta Artist"},
        {"mp3 id3v2", "id3v2.mp3", 44100, "--add-id3v2 --id3v2-only --tt Title --ta Artist"},
        {"mp3 id3v2 and id3v1", "id3v2v1.mp3", 22050, "--add-id3v2 --tt Title"},
        {"mp3 id3v2 padded to 20 KB", "id3v2-padded.mp3", 44100,
         "--id3v2-only --tt Title --pad-id3v2-size 20480"},
        {"mp3 vbr id3v2 padded to 20 KB", "vbr-padded.mp3", 8000,
         "-V 4 --id3v2-only --tt Title --pad-id3v2-size 20480"},
    };
    for (const Encoding &encoding : encodings) {
        const std::string path = directory + "/" + encoding.file;
        const std::string wav = encoding.rate == 44100 ? wav44 : sine_wav(1.0, encoding.rate, 440);
        if (encode_audio(wav, path, "mp3", encoding.options))
            corpus.push_back({encoding.name, path});
        else if (missing != nullptr)
            missing->push_back(encoding.name);
    }
    // An ID3v2 tag built by hand (one text frame, 100 bytes of padding) before lame's audio.
    const std::string plain = directory + "/plain.tmp";
    if (encode_audio(wav44, plain, "mp3", "-b 96 -t")) {
        std::string frame("TIT2", 4);
        put_be(&frame, 6, 4);
        frame += std::string("\0\0\x03Title", 8);
        const std::string tag = frame + std::string(100, '\0');
        add("mp3 hand-built id3v2.4", "handmade-id3v2.mp3",
            id3v2_header(static_cast<uint32_t>(tag.size())) + tag + read_file(plain));
        unlink(plain.c_str());
    } else if (missing != nullptr) {
        missing->push_back("mp3 hand-built id3v2.4");
    }

    // The other tagged formats, from their own encoders, and two that only look alike.
    const struct {
        const char *name, *file, *format;
    } others[] = {
        {"flac", "sound.flac", "flac"},          {"ogg vorbis by oggenc", "vorbis.ogg", "ogg"},
        {"opus", "sound.opus", "opus"},          {"m4a", "sound.m4a", "m4a"},
        {"flac in ogg", "flac.oga", "ogg-flac"}, {"mp4 iso brand", "sound.mp4", "mp4"},
    };
    for (const auto &other : others) {
        const std::string path = directory + "/" + other.file;
        if (encode_audio(wav44, path, other.format))
            corpus.push_back({other.name, path});
        else if (missing != nullptr)
            missing->push_back(other.name);
    }
    if (encode_audio(wav44, plain, "flac")) {
        add("flac behind an id3v2 tag", "id3v2.flac",
            id3v2_header(10) + std::string(10, '\0') + read_file(plain));
        unlink(plain.c_str());
    }

    add("text", "notes.txt", "Liner notes: recorded live, one take, no overdubs.\n");
    add("text starting with ID3", "id3-notes.txt",
        "ID3 tags explained: a header, frames, then padding.\n");
    add("id3v2 tag before text", "id3-then-text.bin",
        id3v2_header(20) + std::string(20, '\0') + "not audio at all, only words\n");
    add("png", "image.png", png_image());
    add("wav", "sound.wav", wav44);
    add("ogg vorbis", "sound.ogg", ogg_vorbis());
    add("adts aac", "sound.aac", adts_aac());
    std::mt19937 random(20240601);
    std::string noise(8192, '\0');
    for (char &byte : noise)
        byte = static_cast<char>(random() & 0xff);
    add("random bytes", "noise.bin", noise);
    add("empty", "empty", "");
    return corpus;
}

}  // namespace test_support
