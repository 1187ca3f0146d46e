// BNodeInfo: a node's file type.
#ifndef BRINDLE_STORAGE_NODE_INFO_H
#define BRINDLE_STORAGE_NODE_INFO_H

#include <Node.h>
#include <StorageDefs.h>

class BNodeInfo {
public:
    BNodeInfo();
    // The node must stay alive, and initialized, while the BNodeInfo is used.
    BNodeInfo(BNode *node);
    virtual ~BNodeInfo();

    status_t SetTo(BNode *node);
    status_t InitCheck() const;

    // The node's type into `type` (B_MIME_TYPE_LENGTH bytes). A recorded type always wins
    // over a guess: first the "BEOS:TYPE" attribute, exactly as stored up to its NUL (an
    // empty record is the empty type); then the freedesktop "user.mime_type" extended
    // attribute (trailing white space dropped); else a guess from the content. MPEG audio
    // recorded in "user.mime_type" under one of freedesktop's names ("audio/mpeg" and its
    // aliases), or guessed, is "audio/x-mpeg", this platform's name. A "BEOS:TYPE" of
    // another type code is B_BAD_TYPE, one too long for the buffer B_BAD_DATA; when no
    // source yields a type the result is negative.
    virtual status_t GetType(char *type) const;
    // Records `type` as "BEOS:TYPE" ('MIMS', with its NUL); nullptr removes the record.
    virtual status_t SetType(const char *type);

private:
    // GetType's work, from the node's records or content.
    // `sniffed` tells whether the answer came from the file's bytes rather than a record.
    status_t _ReadType(char *type, bool *sniffed) const;

    BNode *fNode;
    status_t fStatus;
};

#endif  // BRINDLE_STORAGE_NODE_INFO_H
