#include <NodeInfo.h>

#include <AttributeStore.h>
#include <Errors.h>
#include <MimeSniffer.h>
#include <TypeConstants.h>

#include <cctype>
#include <cstring>

using BPrivate::AttributeStore;

namespace {

const char kTypeAttribute[] = "BEOS:TYPE";
const char kFreedesktopTypeAttribute[] = "user.mime_type";
const char kMpegType[] = "audio/x-mpeg";

// The text of a recorded type: up to its first NUL. Returns its length.
size_t stored_type(char *type, size_t length) {
    const void *nul = std::memchr(type, '\0', length);
    if (nul != nullptr)
        length = static_cast<size_t>(static_cast<const char *>(nul) - type);
    type[length] = '\0';
    return length;
}

// The same without trailing white space: tools that write "user.mime_type" by hand often
// leave a newline.
size_t trimmed_type(char *type, size_t length) {
    length = stored_type(type, length);
    while (length > 0 && std::isspace(static_cast<unsigned char>(type[length - 1])))
        --length;
    type[length] = '\0';
    return length;
}

}  // namespace

BNodeInfo::BNodeInfo() : fNode(nullptr), fStatus(B_NO_INIT) {}

BNodeInfo::BNodeInfo(BNode *node) : fNode(nullptr), fStatus(B_NO_INIT) {
    SetTo(node);
}

BNodeInfo::~BNodeInfo() = default;

status_t BNodeInfo::SetTo(BNode *node) {
    fNode = nullptr;
    if (node == nullptr || node->InitCheck() != B_OK)
        return fStatus = B_BAD_VALUE;
    fNode = node;
    return fStatus = B_OK;
}

status_t BNodeInfo::InitCheck() const {
    return fStatus;
}

status_t BNodeInfo::GetType(char *type) const {
    if (fStatus != B_OK)
        return fStatus;
    if (type == nullptr)
        return B_BAD_VALUE;
    if (fNode->InitCheck() != B_OK)
        return B_NO_INIT;
    if (!fNode->fTypeKnown) {
        fNode->fKnownTypeStatus = _ReadType(fNode->fKnownType, &fNode->fKnownTypeSniffed);
        fNode->fTypeKnown = true;
    }
    if (fNode->fKnownTypeStatus == B_OK)
        std::memcpy(type, fNode->fKnownType, std::strlen(fNode->fKnownType) + 1);
    return fNode->fKnownTypeStatus;
}

status_t BNodeInfo::_ReadType(char *type, bool *sniffed) const {
    *sniffed = false;
    const AttributeStore store(fNode->fFd);
    // Room for one byte more than a type may have, to tell a fitting value from a long one.
    char value[B_MIME_TYPE_LENGTH + 1];

    // One read answers both what is stored and whether it is well-formed. The record is
    // the type exactly as stored, an empty one included: a recorded type always wins.
    attr_info info;
    ssize_t count = store.Read(kTypeAttribute, 0, value, B_MIME_TYPE_LENGTH, &info);
    if (count >= 0) {
        if (info.type != B_MIME_STRING_TYPE)
            return B_BAD_TYPE;
        const size_t length = stored_type(value, static_cast<size_t>(count));
        if (info.size > B_MIME_TYPE_LENGTH || length >= B_MIME_TYPE_LENGTH)
            return B_BAD_DATA;
        std::memcpy(type, value, length + 1);
        return B_OK;
    }
    if (count != B_ENTRY_NOT_FOUND && count != B_UNSUPPORTED)
        return static_cast<status_t>(count);

    // Another convention's record, where MPEG audio has freedesktop's names; one that does
    // not fit is ignored, not trusted in part.
    count = store.ReadForeign(kFreedesktopTypeAttribute, value, B_MIME_TYPE_LENGTH);
    if (count > 0) {
        const size_t length = trimmed_type(value, static_cast<size_t>(count));
        if (length > 0 && length < B_MIME_TYPE_LENGTH) {
            if (BPrivate::MimeSniffer::IsMpegAudioName(value))
                std::memcpy(type, kMpegType, sizeof(kMpegType));
            else
                std::memcpy(type, value, length + 1);
            return B_OK;
        }
    }

    type[0] = '\0';
    *sniffed = true;
    return BPrivate::MimeSniffer::Sniff(fNode->fFd, type);
}

status_t BNodeInfo::SetType(const char *type) {
    if (fStatus != B_OK)
        return fStatus;
    if (type == nullptr) {
        status_t status = fNode->RemoveAttr(kTypeAttribute);
        return status == B_ENTRY_NOT_FOUND ? B_OK : status;
    }
    const size_t size = std::strlen(type) + 1;
    if (size > B_MIME_TYPE_LENGTH)
        return B_BAD_VALUE;
    ssize_t written = fNode->WriteAttr(kTypeAttribute, B_MIME_STRING_TYPE, 0, type, size);
    if (written < 0)
        return static_cast<status_t>(written);
    return static_cast<size_t>(written) == size ? B_OK : B_ERROR;
}
