// System message codes of the application kit, with the original platform's values.
#ifndef BRINDLE_APP_APP_DEFS_H
#define BRINDLE_APP_APP_DEFS_H

#include <SupportDefs.h>

enum : uint32 {
    B_ABOUT_REQUESTED = '_ABR',
    B_APP_ACTIVATED = '_ACT',
    B_ARGV_RECEIVED = '_ARG',
    B_QUIT_REQUESTED = '_QRQ',
    B_READY_TO_RUN = '_RTR',
    B_REFS_RECEIVED = '_RRC',
    B_PULSE = '_PUL',
    B_CANCEL = '_CNC',
    B_SIMPLE_DATA = 'DATA',
    B_NO_REPLY = '_NRP',
    B_MESSAGE_NOT_UNDERSTOOD = '_MNU',
    B_SILENT_RELAUNCH = 'Slnc',
};

#endif  // BRINDLE_APP_APP_DEFS_H
