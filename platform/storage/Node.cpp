#include <Node.h>

#include <AttributeStore.h>
#include <Entry.h>
#include <Errors.h>
#include <StorageSupport.h>
#include <String.h>
#include <TypeConstants.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <new>

using BPrivate::AttributeStore;

namespace {

// Attributes live on whatever the node is; reading them needs no write access to the data.
const int kNodeOpenFlags = O_RDONLY;
const uint32 kNodeKinds = BPrivate::kRegularNodes | BPrivate::kDirectoryNodes;

}  // namespace

BNode::BNode() : fFd(-1), fStatus(B_NO_INIT) {}

BNode::BNode(const entry_ref *ref) : fFd(-1), fStatus(B_NO_INIT) {
    SetTo(ref);
}

BNode::BNode(const BEntry *entry) : fFd(-1), fStatus(B_NO_INIT) {
    SetTo(entry);
}

BNode::BNode(const char *path) : fFd(-1), fStatus(B_NO_INIT) {
    SetTo(path);
}

BNode::BNode(const BNode &node) : fFd(-1), fStatus(B_NO_INIT) {
    *this = node;
}

BNode::~BNode() {
    Unset();
}

BNode &BNode::operator=(const BNode &node) {
    if (this == &node)
        return *this;
    if (node.fStatus != B_OK) {
        _Adopt(-1, node.fStatus);
        return *this;
    }
    int fd = fcntl(node.fFd, F_DUPFD_CLOEXEC, 0);
    _Adopt(fd, fd < 0 ? status_from_errno(errno) : B_OK, node.fNode);
    return *this;
}

status_t BNode::InitCheck() const {
    return fStatus;
}

status_t BNode::GetStat(struct stat *st) const {
    if (fStatus != B_OK)
        return fStatus;
    if (st == nullptr)
        return B_BAD_VALUE;
    return fstat(fFd, st) == 0 ? B_OK : status_from_errno(errno);
}

status_t BNode::GetNodeRef(node_ref *ref) const {
    if (ref == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return fStatus;
    *ref = fNode;
    return B_OK;
}

status_t BNode::SetTo(const entry_ref *ref) {
    int fd = -1;
    node_ref node;
    status_t status = BPrivate::open_entry_ref(ref, kNodeOpenFlags, kNodeKinds, &fd, &node);
    return _Adopt(fd, status, node);
}

status_t BNode::SetTo(const BEntry *entry) {
    if (entry == nullptr)
        return _Adopt(-1, B_BAD_VALUE);
    entry_ref ref;
    status_t status = entry->GetRef(&ref);
    if (status != B_OK)
        return _Adopt(-1, status);
    return SetTo(&ref);
}

status_t BNode::SetTo(const char *path) {
    int fd = -1;
    node_ref node;
    status_t status = path == nullptr ? B_BAD_VALUE
                                      : BPrivate::open_node_at(AT_FDCWD, path, kNodeOpenFlags,
                                                               kNodeKinds, &fd, &node);
    return _Adopt(fd, status, node);
}

void BNode::Unset() {
    _Adopt(-1, B_NO_INIT);
}

status_t BNode::Sync() {
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    return fsync(fFd) == 0 ? B_OK : status_from_errno(errno);
}

ssize_t BNode::WriteAttr(const char *name, type_code type, off_t offset, const void *buffer,
                         size_t length) {
    _ForgetType();
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    if (name == nullptr || buffer == nullptr)
        return B_BAD_VALUE;
    return AttributeStore(fFd).Write(name, type, offset, buffer, length);
}

ssize_t BNode::ReadAttr(const char *name, type_code type, off_t offset, void *buffer,
                        size_t length) const {
    return ReadAttr(name, type, offset, buffer, length, nullptr);
}

ssize_t BNode::ReadAttr(const char *name, type_code /*type*/, off_t offset, void *buffer,
                        size_t length, attr_info *stored) const {
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    if (name == nullptr || buffer == nullptr)
        return B_BAD_VALUE;
    return AttributeStore(fFd).Read(name, offset, buffer, length, stored);
}

status_t BNode::RemoveAttr(const char *name) {
    _ForgetType();
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    if (name == nullptr)
        return B_BAD_VALUE;
    return AttributeStore(fFd).Remove(name);
}

status_t BNode::GetAttrInfo(const char *name, attr_info *info) const {
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    if (name == nullptr || info == nullptr)
        return B_BAD_VALUE;
    return AttributeStore(fFd).GetInfo(name, info);
}

status_t BNode::WriteAttrString(const char *name, const BString *data) {
    if (name == nullptr || data == nullptr)
        return B_BAD_VALUE;
    const size_t length = static_cast<size_t>(data->Length()) + 1;
    ssize_t written = WriteAttr(name, B_STRING_TYPE, 0, data->String(), length);
    if (written < 0)
        return static_cast<status_t>(written);
    return static_cast<size_t>(written) == length ? B_OK : B_ERROR;
}

status_t BNode::ReadAttrString(const char *name, BString *result) const {
    if (name == nullptr || result == nullptr)
        return B_BAD_VALUE;
    attr_info info;
    status_t status = GetAttrInfo(name, &info);
    if (status != B_OK)
        return status;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[info.size + 1]);
    if (!buffer)
        return B_NO_MEMORY;
    // The value may have changed since GetAttrInfo; take what the read returns.
    ssize_t count = ReadAttr(name, B_STRING_TYPE, 0, buffer.get(), info.size);
    if (count < 0)
        return static_cast<status_t>(count);
    result->SetTo(buffer.get(), static_cast<int32>(count));
    return B_OK;
}

ssize_t BNode::ReadHostAttr(const char *xattrName, void *buffer, size_t length) const {
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    return AttributeStore(fFd).ReadHost(xattrName, buffer, length);
}

ssize_t BNode::WriteHostAttr(const char *xattrName, const void *buffer, size_t length) {
    _ForgetType();
    if (fStatus != B_OK)
        return B_FILE_ERROR;
    return AttributeStore(fFd).WriteHost(xattrName, buffer, length);
}

bool BNode::operator==(const BNode &node) const {
    if (fStatus == B_NO_INIT && node.fStatus == B_NO_INIT)
        return true;
    node_ref mine;
    node_ref theirs;
    return GetNodeRef(&mine) == B_OK && node.GetNodeRef(&theirs) == B_OK && mine == theirs;
}

int BNode::Dup() {
    if (fStatus != B_OK)
        return fStatus;
    int fd = fcntl(fFd, F_DUPFD_CLOEXEC, 0);
    return fd >= 0 ? fd : status_from_errno(errno);
}

status_t BNode::_Adopt(int fd, status_t status, const node_ref &node) {
    _ForgetType();
    if (fFd >= 0)
        close(fFd);
    if (status != B_OK && fd >= 0)
        close(fd);
    fFd = status == B_OK ? fd : -1;
    fStatus = status;
    fNode = status == B_OK ? node : node_ref();
    return status;
}
