#include "tags/attributes.h"

#include <cstdio>
#include <cstring>

#include <NodeInfo.h>
#include <StorageDefs.h>

vesk::str_t get_string_attr(BNode &node, const char *name, stored_attr *stored) {
    // One byte beyond the bound, so a value that fills it still ends in a NUL.
    char buffer[AUDIO_TEXT_ATTR_SIZE + 1];
    stored_attr found;
    ssize_t count =
        node.ReadAttr(name, AUDIO_TEXT_TYPE, 0, buffer, AUDIO_TEXT_ATTR_SIZE, &found.info);
    found.status = count;
    if (stored != nullptr)
        *stored = found;
    if (count < 0)
        return vesk::str_t();
    if (count > static_cast<ssize_t>(AUDIO_TEXT_ATTR_SIZE))
        count = AUDIO_TEXT_ATTR_SIZE;
    buffer[count] = '\0';
    vesk::str_t text(buffer);
    printf("Setting %s: %s\n", name, text.c_str());
    return text;
}

bool is_mp3_file(BNode &node) {
    BNodeInfo info(&node);
    if (info.InitCheck() < 0)
        return false;
    char type[B_MIME_TYPE_LENGTH] = {};
    if (info.GetType(type) < 0) {
        printf("Failed to get mime type\n");
        return false;
    }
    type[sizeof(type) - 1] = '\0';
    if (strcmp(type, MPEG_AUDIO_TYPE) == 0)
        return true;
    printf("Not an audio/x-mpeg file, is %s\n", type);
    return false;
}

bool has_mpeg_type(BNode &node) {
    BNodeInfo info(&node);
    char type[B_MIME_TYPE_LENGTH] = {};
    if (info.InitCheck() < 0 || info.GetType(type) < 0)
        return false;
    type[sizeof(type) - 1] = '\0';
    return strcmp(type, MPEG_AUDIO_TYPE) == 0;
}
