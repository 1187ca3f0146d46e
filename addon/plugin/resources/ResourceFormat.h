// The image's resource block, as this platform carries it: an ELF section named
// ".brindle.rsrc" in the add-on image and the launcher, holding one record:
//
//   char   magic[4]        "BRSC"
//   uint32 version         1
//   uint32 count           number of resources
//   count times:
//     uint32 type          type code ('MIMS', 'APPV', 'MSGG', 'ICON', 'MICN')
//     int32  id
//     uint32 nameLength    bytes of name, no NUL
//     char   name[nameLength]
//     uint32 dataLength
//     uint8  data[dataLength]
//
// All integers little-endian. The platform reads it (e.g. `objcopy --dump-section`);
// the code never does.
#ifndef BRINDLE_PLUGIN_RESOURCES_RESOURCE_FORMAT_H
#define BRINDLE_PLUGIN_RESOURCES_RESOURCE_FORMAT_H

#include <cstdint>

namespace brindle_resources {

constexpr char kMagic[4] = {'B', 'R', 'S', 'C'};
constexpr uint32_t kVersion = 1;
constexpr const char *kSectionName = ".brindle.rsrc";

// The original platform's application version record ('APPV').
struct version_info {
    uint32_t major;
    uint32_t middle;
    uint32_t minor;
    uint32_t variety;
    uint32_t internal;
    char short_info[64];
    char long_info[256];
};
static_assert(sizeof(version_info) == 340, "version_info is the platform's 340-byte record");

// Icons are 8-bit indices into the platform's palette; this index is transparent.
constexpr uint8_t kTransparentIndex = 0xff;
constexpr int kLargeIconSize = 32;
constexpr int kMiniIconSize = 16;

}  // namespace brindle_resources

#endif  // BRINDLE_PLUGIN_RESOURCES_RESOURCE_FORMAT_H
