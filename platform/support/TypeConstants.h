// Type codes of typed data (attributes, message fields), as four-character constants.
#ifndef BRINDLE_SUPPORT_TYPE_CONSTANTS_H
#define BRINDLE_SUPPORT_TYPE_CONSTANTS_H

#include <SupportDefs.h>

enum : type_code {
    B_ANY_TYPE = 'ANYT',
    B_BOOL_TYPE = 'BOOL',
    B_DOUBLE_TYPE = 'DBLE',
    B_FLOAT_TYPE = 'FLOT',
    B_INT8_TYPE = 'BYTE',
    B_INT16_TYPE = 'SHRT',
    B_INT32_TYPE = 'LONG',
    B_INT64_TYPE = 'LLNG',
    B_MESSAGE_TYPE = 'MSGG',
    B_MIME_STRING_TYPE = 'MIMS',
    B_POINT_TYPE = 'BPNT',
    B_POINTER_TYPE = 'PNTR',
    B_RAW_TYPE = 'RAWT',
    B_RECT_TYPE = 'RECT',
    B_STRING_TYPE = 'CSTR',
    B_UINT32_TYPE = 'ULNG',
};

#endif  // BRINDLE_SUPPORT_TYPE_CONSTANTS_H
