#include "MprisNames.h"

#include <strings.h>

#include <cstring>

#include "MprisClient.h"

namespace follow {

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

bool local_path_from_url(const std::string &url, std::string *path) {
    const std::string scheme = "file://";
    if (url.size() < scheme.size() || strncasecmp(url.c_str(), scheme.c_str(), scheme.size()) != 0)
        return false;
    const size_t slash = url.find('/', scheme.size());
    if (slash == std::string::npos)
        return false;
    const std::string host = url.substr(scheme.size(), slash - scheme.size());
    if (!host.empty() && strcasecmp(host.c_str(), "localhost") != 0)
        return false;
    std::string decoded;
    for (size_t i = slash; i < url.size(); i++) {
        char c = url[i];
        if (c == '?' || c == '#')
            break;  // a query or fragment is not part of the file's name
        if (c == '%') {
            const int high = i + 2 < url.size() ? hex_value(url[i + 1]) : -1;
            const int low = high >= 0 ? hex_value(url[i + 2]) : -1;
            if (low < 0)
                return false;
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        if (c == '\0')
            return false;
        decoded += c;
    }
    *path = decoded;
    return true;
}

bool holds_control_character(const std::string &text) {
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            return true;
    }
    return false;
}

bool is_player_name(const std::string &name) {
    // A bus name has at most 255 characters.
    if (name.empty() || name.size() > 255 - strlen(kMprisPrefix))
        return false;
    // The bus allows it, but no player starts its name so; an option does.
    if (name[0] == '-')
        return false;
    bool elementStart = true;
    for (char c : name) {
        if (c == '.') {
            if (elementStart)
                return false;
            elementStart = true;
            continue;
        }
        const bool digit = c >= '0' && c <= '9';
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!digit && !letter && c != '_' && c != '-')
            return false;
        if (elementStart && digit)
            return false;
        elementStart = false;
    }
    return !elementStart;
}

}  // namespace follow
