// The resource block the image carries, read back with binutils' objcopy.
#include <gtest/gtest.h>

#include <cstring>

#include <Message.h>

#include "AddonHarness.h"
#include "plugin/resources/ResourceFormat.h"

using namespace addon_test;

namespace {

struct Resource {
    uint32_t type;
    int32_t id;
    std::string data;
};

uint32_t get32(const std::string &bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; i--)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

// The resources by name, parsed with every length checked against the section's size.
std::map<std::string, Resource> image_resources(const std::string &image) {
    TempDir dir;
    std::string dump = dir / "section";
    ChildProcess objcopy(
        {"/usr/bin/objcopy", "--dump-section",
         std::string(brindle_resources::kSectionName) + "=" + dump, image, dir / "copy"},
        SpawnOptions());
    RunResult result = objcopy.Finish();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    std::string bytes = read_file(dump);
    std::map<std::string, Resource> resources;
    if (bytes.size() < 12 || bytes.compare(0, 4, "BRSC") != 0 ||
        get32(bytes, 4) != brindle_resources::kVersion) {
        ADD_FAILURE() << "no resource block in " << image;
        return resources;
    }
    uint32_t count = get32(bytes, 8);
    size_t at = 12;
    for (uint32_t i = 0; i < count; i++) {
        Resource resource;
        resource.type = get32(bytes, at);
        resource.id = static_cast<int32_t>(get32(bytes, at + 4));
        uint32_t nameLength = get32(bytes, at + 8);
        std::string name = bytes.substr(at + 12, nameLength);
        at += 12 + nameLength;
        uint32_t dataLength = get32(bytes, at);
        resource.data = bytes.substr(at + 4, dataLength);
        EXPECT_EQ(resource.data.size(), dataLength) << name;
        at += 4 + dataLength;
        resources[name] = resource;
    }
    EXPECT_EQ(at, bytes.size());
    return resources;
}

void expect_icon(const Resource &icon, uint32_t type, int size) {
    EXPECT_EQ(icon.type, type);
    ASSERT_EQ(icon.data.size(), static_cast<size_t>(size * size));
    // Transparent corners, a picture in the middle.
    EXPECT_EQ(static_cast<uint8_t>(icon.data[0]), brindle_resources::kTransparentIndex);
    EXPECT_NE(static_cast<uint8_t>(icon.data[(size / 2) * size + size / 2]),
              brindle_resources::kTransparentIndex);
}

}  // namespace

TEST(Image, CarriesSignatureTypeVersionFileTypesAndIcons) {
    for (const std::string &image : {addon_path(), launcher_path()}) {
        SCOPED_TRACE(image);
        std::map<std::string, Resource> resources = image_resources(image);
        ASSERT_EQ(resources.size(), 6u);

        EXPECT_EQ(resources["BEOS:APP_SIG"].type, static_cast<uint32_t>('MIMS'));
        EXPECT_EQ(resources["BEOS:APP_SIG"].data,
                  std::string("application/x-vnd.Velmora-BrindlePlugin") + '\0');
        EXPECT_EQ(resources["BEOS:TYPE"].data,
                  std::string("application/x-vnd.Be-elfexecutable") + '\0');

        const Resource &version = resources["BEOS:APP_VERSION"];
        EXPECT_EQ(version.type, static_cast<uint32_t>('APPV'));
        ASSERT_EQ(version.data.size(), sizeof(brindle_resources::version_info));
        brindle_resources::version_info info;
        memcpy(&info, version.data.data(), sizeof(info));
        EXPECT_EQ(info.major, 1u);
        EXPECT_EQ(info.middle, 0u);
        EXPECT_EQ(info.minor, 0u);
        EXPECT_EQ(info.variety, 2u);
        EXPECT_EQ(info.internal, 2u);
        EXPECT_STREQ(info.short_info, "Brindle Plugin for SoundPlay");
        EXPECT_STREQ(info.long_info, "");

        const Resource &fileTypes = resources["BEOS:FILE_TYPES"];
        EXPECT_EQ(fileTypes.type, static_cast<uint32_t>('MSGG'));
        BMessage message('xxxx');
        EXPECT_EQ(message.Unflatten(fileTypes.data.data(), fileTypes.data.size()), B_OK);
        EXPECT_TRUE(message.IsEmpty());

        expect_icon(resources["BEOS:L:STD_ICON"], 'ICON', 32);
        expect_icon(resources["BEOS:M:STD_ICON"], 'MICN', 16);
    }
}
