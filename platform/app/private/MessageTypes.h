// What the message kit knows about the types of field values: their sizes, their byte
// order when flattened, and how to print them.
#ifndef BRINDLE_APP_PRIVATE_MESSAGE_TYPES_H
#define BRINDLE_APP_PRIVATE_MESSAGE_TYPES_H

#include <string>

#include <SupportDefs.h>

namespace BPrivate {

// The size every value of `type` has, or -1 for types whose values vary in size.
ssize_t fixed_value_size(type_code type);

// The size of the units a value of `type` is byte-swapped in when flattened (a BRect in
// floats), 1 for values that are plain bytes.
size_t value_unit_size(type_code type);

// Swaps each unit of `value` between host and little-endian byte order (a no-op on a
// little-endian host).
void swap_to_little_endian(type_code type, std::string *value);

// 'abcd' when all four bytes are printable, else 0x61626364.
std::string code_to_text(uint32 code);
std::string value_to_text(type_code type, const std::string &value);

}  // namespace BPrivate

#endif  // BRINDLE_APP_PRIVATE_MESSAGE_TYPES_H
