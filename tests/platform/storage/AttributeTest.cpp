// Attributes through BNode, checked against the host's own view of the extended attributes
// (getfattr and setfattr from the attr package, the kernel's setxattr).
#include "StorageTestSupport.h"

#include "XattrFaults.h"
#include <Errors.h>
#include <Node.h>
#include <String.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

using namespace storage_test;

namespace {

class Attributes : public ::testing::Test {
protected:
    void SetUp() override {
        fPath = fDir / "song.mp3";
        write_file(fPath, "content");
    }
    void TearDown() override { attribute_faults().Reset(); }

    std::string Read(BNode &node, const char *name, off_t offset = 0, size_t length = 1024) {
        std::string buffer(length, '\0');
        ssize_t count = node.ReadAttr(name, B_STRING_TYPE, offset, &buffer[0], length);
        EXPECT_GE(count, 0) << name;
        buffer.resize(count > 0 ? static_cast<size_t>(count) : 0);
        return buffer;
    }

    TempDir fDir;
    std::string fPath;
};

TEST_F(Attributes, WrittenValuesUseTheHaikuHostLayout) {
    BNode node(fPath.c_str());
    ASSERT_EQ(node.InitCheck(), B_OK);
    const int32 rating = 7;
    EXPECT_EQ(node.WriteAttr("Audio:Title", B_STRING_TYPE, 0, "Abc", 4), 4);
    EXPECT_EQ(node.WriteAttr("Audio:Rating", B_INT32_TYPE, 0, &rating, 4), 4);

    auto xattrs = getfattr_all(fPath);
    EXPECT_EQ(xattrs["user.haiku.Audio:Title"], std::string("RTSCAbc\0", 8));
    EXPECT_EQ(xattrs["user.haiku.Audio:Rating"], std::string("GNOL\x07\0\0\0", 8));
    EXPECT_EQ(xattrs.size(), 2u);
}

TEST_F(Attributes, ValuesWrittenBySetfattrInTheLayoutAreRead) {
    ASSERT_TRUE(
        setfattr(fPath, "user.haiku.Audio:Artist", typed_value('CSTR', std::string("Zed\0", 4))));
    BNode node(fPath.c_str());
    EXPECT_EQ(Read(node, "Audio:Artist"), std::string("Zed\0", 4));

    attr_info info;
    ASSERT_EQ(node.GetAttrInfo("Audio:Artist", &info), B_OK);
    EXPECT_EQ(info.type, B_STRING_TYPE);
    EXPECT_EQ(info.size, 4);
}

TEST_F(Attributes, SlashAndPercentInNamesAreEscapedWithoutCollisions) {
    BNode node(fPath.c_str());
    EXPECT_EQ(node.WriteAttr("a/b", B_STRING_TYPE, 0, "slash", 5), 5);
    EXPECT_EQ(node.WriteAttr("a%\\b", B_STRING_TYPE, 0, "percent", 7), 7);
    EXPECT_EQ(node.WriteAttr("100%", B_STRING_TYPE, 0, "full", 4), 4);

    auto xattrs = getfattr_all(fPath);
    EXPECT_EQ(xattrs["user.haiku.a%\\b"], typed_value('CSTR', "slash"));
    EXPECT_EQ(xattrs["user.haiku.a%%\\b"], typed_value('CSTR', "percent"));
    EXPECT_EQ(xattrs["user.haiku.100%%"], typed_value('CSTR', "full"));
    EXPECT_EQ(Read(node, "a/b"), "slash");
    EXPECT_EQ(Read(node, "a%\\b"), "percent");
    EXPECT_EQ(Read(node, "100%"), "full");
}

TEST_F(Attributes, MissingAndRemovedAttributesAreEntryNotFound) {
    BNode node(fPath.c_str());
    char buffer[16];
    attr_info info;
    EXPECT_EQ(node.ReadAttr("Audio:Genre", B_STRING_TYPE, 0, buffer, sizeof(buffer)),
              B_ENTRY_NOT_FOUND);
    EXPECT_EQ(node.GetAttrInfo("Audio:Genre", &info), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(node.RemoveAttr("Audio:Genre"), B_ENTRY_NOT_FOUND);

    ASSERT_EQ(node.WriteAttr("Audio:Genre", B_STRING_TYPE, 0, "Rock", 5), 5);
    EXPECT_EQ(node.RemoveAttr("Audio:Genre"), B_OK);
    EXPECT_EQ(node.ReadAttr("Audio:Genre", B_STRING_TYPE, 0, buffer, sizeof(buffer)),
              B_ENTRY_NOT_FOUND);
    EXPECT_EQ(getfattr_all(fPath).count("user.haiku.Audio:Genre"), 0u);
}

TEST_F(Attributes, ValueShorterThanItsTypeCodeIsBadDataNotACrash) {
    ASSERT_TRUE(setfattr(fPath, "user.haiku.Short", "ab"));
    ASSERT_EQ(setxattr(fPath.c_str(), "user.haiku.Empty", "", 0, 0), 0);
    BNode node(fPath.c_str());
    char buffer[16];
    attr_info info;
    for (const char *name : {"Short", "Empty"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(node.ReadAttr(name, B_STRING_TYPE, 0, buffer, sizeof(buffer)), B_BAD_DATA);
        EXPECT_EQ(node.GetAttrInfo(name, &info), B_BAD_DATA);
        // Writing into the middle of a malformed value would have to guess: refused.
        EXPECT_EQ(node.WriteAttr(name, B_STRING_TYPE, 2, "x", 1), B_BAD_DATA);
    }
    EXPECT_EQ(getfattr_all(fPath)["user.haiku.Short"], "ab");
    // Replacing the value from offset 0 needs nothing of the old one.
    EXPECT_EQ(node.WriteAttr("Short", B_STRING_TYPE, 0, "ok", 3), 3);
    EXPECT_EQ(Read(node, "Short"), std::string("ok\0", 3));
}

TEST_F(Attributes, EmptyValueAndValueOfAnotherTypeAreReadAsStored) {
    BNode node(fPath.c_str());
    ASSERT_EQ(node.WriteAttr("Empty", B_STRING_TYPE, 0, "", 0), 0);
    EXPECT_EQ(getfattr_all(fPath)["user.haiku.Empty"], "RTSC");
    EXPECT_EQ(Read(node, "Empty"), "");

    // A LONG read as CSTR: the type asked for is not checked, the stored bytes come back.
    const int32 rating = 0x01020304;
    ASSERT_EQ(node.WriteAttr("Audio:Rating", B_INT32_TYPE, 0, &rating, 4), 4);
    int32 value = 0;
    EXPECT_EQ(node.ReadAttr("Audio:Rating", B_STRING_TYPE, 0, &value, sizeof(value)), 4);
    EXPECT_EQ(value, rating);
    attr_info info;
    ASSERT_EQ(node.GetAttrInfo("Audio:Rating", &info), B_OK);
    EXPECT_EQ(info.type, B_INT32_TYPE);
}

TEST_F(Attributes, ReadAtOffsetReturnsTheBytesFromThere) {
    BNode node(fPath.c_str());
    ASSERT_EQ(node.WriteAttr("Digits", B_RAW_TYPE, 0, "0123456789", 10), 10);
    EXPECT_EQ(Read(node, "Digits", 4), "456789");
    EXPECT_EQ(Read(node, "Digits", 4, 3), "456");
    EXPECT_EQ(Read(node, "Digits", 10), "");
    EXPECT_EQ(Read(node, "Digits", 50), "");
    char buffer[4];
    EXPECT_EQ(node.ReadAttr("Digits", B_RAW_TYPE, -1, buffer, sizeof(buffer)), B_BAD_VALUE);
}

TEST_F(Attributes, LongValueIsCutToTheCallersBuffer) {
    const std::string title(300, 'T');  // no NUL
    ASSERT_TRUE(setfattr(fPath, "user.haiku.Audio:Title", typed_value('CSTR', title)));
    BNode node(fPath.c_str());
    char buffer[256 + 8];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(node.ReadAttr("Audio:Title", B_STRING_TYPE, 0, buffer, 256), 256);
    EXPECT_EQ(std::string(buffer, 256), std::string(256, 'T'));
    EXPECT_EQ(std::string(buffer + 256, 8), std::string(8, '#'));  // nothing past the buffer

    // Larger than the store reads in one go: still whole and exact.
    std::string big(3000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(setfattr(fPath, "user.haiku.Big", typed_value('RAWT', big)));
    EXPECT_EQ(Read(node, "Big", 0, 4000), big);
    EXPECT_EQ(Read(node, "Big", 2990), big.substr(2990));
}

TEST_F(Attributes, WriteAtOffsetKeepsTheRestAndZeroFillsAGap) {
    BNode node(fPath.c_str());
    ASSERT_EQ(node.WriteAttr("Text", B_STRING_TYPE, 0, "abcdef", 6), 6);
    EXPECT_EQ(node.WriteAttr("Text", B_STRING_TYPE, 2, "XY", 2), 2);
    EXPECT_EQ(getfattr_all(fPath)["user.haiku.Text"], typed_value('CSTR', "abXYef"));
    EXPECT_EQ(node.WriteAttr("Text", B_STRING_TYPE, 8, "Z", 1), 1);
    EXPECT_EQ(getfattr_all(fPath)["user.haiku.Text"],
              typed_value('CSTR', std::string("abXYef\0\0Z", 9)));

    EXPECT_EQ(node.WriteAttr("Fresh", B_RAW_TYPE, 3, "Q", 1), 1);
    EXPECT_EQ(getfattr_all(fPath)["user.haiku.Fresh"],
              typed_value('RAWT', std::string("\0\0\0Q", 4)));

    // Offset 0 replaces the whole value, however long the old one was.
    EXPECT_EQ(node.WriteAttr("Text", B_STRING_TYPE, 0, "n", 2), 2);
    EXPECT_EQ(getfattr_all(fPath)["user.haiku.Text"], typed_value('CSTR', std::string("n\0", 2)));
}

TEST_F(Attributes, StringHelpersStoreTheTerminatingNul) {
    BNode node(fPath.c_str());
    BString album("Kind of Blue");
    ASSERT_EQ(node.WriteAttrString("Audio:Album", &album), B_OK);
    EXPECT_EQ(getfattr_all(fPath)["user.haiku.Audio:Album"],
              typed_value('CSTR', std::string("Kind of Blue\0", 13)));
    BString read;
    ASSERT_EQ(node.ReadAttrString("Audio:Album", &read), B_OK);
    EXPECT_EQ(read, album);
    EXPECT_EQ(node.ReadAttrString("Missing", &read), B_ENTRY_NOT_FOUND);
}

TEST_F(Attributes, BadNamesAndUninitializedNodesFailCleanly) {
    BNode node(fPath.c_str());
    char buffer[8];
    const std::string tooLong(250, 'n');  // 11 + 250 bytes exceeds the host's 255
    EXPECT_EQ(node.WriteAttr(tooLong.c_str(), B_RAW_TYPE, 0, "x", 1), B_NAME_TOO_LONG);
    EXPECT_EQ(node.WriteAttr("", B_RAW_TYPE, 0, "x", 1), B_BAD_VALUE);
    EXPECT_EQ(node.ReadAttr(nullptr, B_RAW_TYPE, 0, buffer, sizeof(buffer)), B_BAD_VALUE);
    EXPECT_TRUE(getfattr_all(fPath).empty());

    BNode unset;
    EXPECT_EQ(unset.InitCheck(), B_NO_INIT);
    EXPECT_EQ(unset.ReadAttr("a", B_RAW_TYPE, 0, buffer, sizeof(buffer)), B_FILE_ERROR);
    EXPECT_EQ(unset.WriteAttr("a", B_RAW_TYPE, 0, "x", 1), B_FILE_ERROR);
    BNode missing((fDir / "missing").c_str());
    EXPECT_EQ(missing.InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(missing.WriteAttr("a", B_RAW_TYPE, 0, "x", 1), B_FILE_ERROR);
}

TEST_F(Attributes, NodeThroughASymlinkKeepsAttributesOnTheTarget) {
    const std::string link = fDir / "link.mp3";
    ASSERT_EQ(symlink(fPath.c_str(), link.c_str()), 0);
    BNode node(link.c_str());
    ASSERT_EQ(node.InitCheck(), B_OK);
    EXPECT_EQ(node.WriteAttr("Audio:Title", B_STRING_TYPE, 0, "T", 2), 2);
    EXPECT_EQ(getfattr_all(fPath)["user.haiku.Audio:Title"],
              typed_value('CSTR', std::string("T\0", 2)));
}

TEST_F(Attributes, HostAttributesUseTheRawNameAndBytes) {
    ASSERT_TRUE(setfattr(fPath, "user.baloo.rating", "8"));
    BNode node(fPath.c_str());
    char buffer[16];
    EXPECT_EQ(node.ReadHostAttr("user.baloo.rating", buffer, sizeof(buffer)), 1);
    EXPECT_EQ(buffer[0], '8');
    EXPECT_EQ(node.ReadHostAttr("user.xdg.comment", buffer, sizeof(buffer)), B_ENTRY_NOT_FOUND);

    EXPECT_EQ(node.WriteHostAttr("user.baloo.rating", "10", 2), 2);
    EXPECT_EQ(node.WriteHostAttr("user.xdg.comment", "a\0b", 3), 3);
    auto xattrs = getfattr_all(fPath);
    EXPECT_EQ(xattrs["user.baloo.rating"], "10");  // replaced whole, no type code
    EXPECT_EQ(xattrs["user.xdg.comment"], std::string("a\0b", 3));
    EXPECT_EQ(xattrs.count("user.haiku.user.baloo.rating"), 0u);
    EXPECT_EQ(node.ReadHostAttr("user.xdg.comment", buffer, 2), 2);  // cut to the buffer
    EXPECT_EQ(std::string(buffer, 2), std::string("a\0", 2));

    EXPECT_EQ(BNode().ReadHostAttr("user.baloo.rating", buffer, 1), B_FILE_ERROR);
    EXPECT_EQ(BNode().WriteHostAttr("user.baloo.rating", "1", 1), B_FILE_ERROR);
    attribute_faults().fail_all_with.store(ENOTSUP);
    EXPECT_EQ(node.WriteHostAttr("user.baloo.rating", "2", 1), B_UNSUPPORTED);
    EXPECT_EQ(node.ReadHostAttr("user.baloo.rating", buffer, 1), B_UNSUPPORTED);
}

TEST_F(Attributes, HostWithoutAttributeSupportFailsEveryCallAndChangesNothing) {
    BNode node(fPath.c_str());
    ASSERT_EQ(node.WriteAttr("Audio:Title", B_STRING_TYPE, 0, "Kept", 5), 5);

    attribute_faults().fail_all_with.store(ENOTSUP);
    char buffer[16];
    attr_info info;
    EXPECT_EQ(node.ReadAttr("Audio:Title", B_STRING_TYPE, 0, buffer, sizeof(buffer)),
              B_UNSUPPORTED);
    EXPECT_EQ(node.WriteAttr("Audio:Title", B_STRING_TYPE, 0, "Lost", 5), B_UNSUPPORTED);
    EXPECT_EQ(node.GetAttrInfo("Audio:Title", &info), B_UNSUPPORTED);
    EXPECT_EQ(node.RemoveAttr("Audio:Title"), B_UNSUPPORTED);
    attribute_faults().Reset();

    EXPECT_EQ(getfattr_all(fPath)["user.haiku.Audio:Title"],
              typed_value('CSTR', std::string("Kept\0", 5)));
}

TEST_F(Attributes, FullDiskFailsWritesButReadsGoOn) {
    BNode node(fPath.c_str());
    ASSERT_EQ(node.WriteAttr("Audio:Title", B_STRING_TYPE, 0, "Kept", 5), 5);

    attribute_faults().fail_writes_with.store(ENOSPC);
    EXPECT_EQ(node.WriteAttr("Audio:Title", B_STRING_TYPE, 0, "Lost", 5), B_DEVICE_FULL);
    EXPECT_EQ(node.WriteAttr("Audio:Album", B_STRING_TYPE, 0, "New", 4), B_DEVICE_FULL);
    EXPECT_EQ(Read(node, "Audio:Title"), std::string("Kept\0", 5));
    attribute_faults().Reset();

    auto xattrs = getfattr_all(fPath);
    EXPECT_EQ(xattrs["user.haiku.Audio:Title"], typed_value('CSTR', std::string("Kept\0", 5)));
    EXPECT_EQ(xattrs.count("user.haiku.Audio:Album"), 0u);
}

TEST_F(Attributes, UnreadableFileGivesPermissionDeniedToAnUnprivilegedUser) {
    ASSERT_EQ(chmod(fDir.Path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(fPath.c_str(), 0), 0);
    int64_t status = status_from_child([&] {
        if (!drop_privileges())
            return kPrivilegesNotDropped;
        return BNode(fPath.c_str()).InitCheck();
    });
    EXPECT_EQ(status, B_PERMISSION_DENIED);
}

}  // namespace
