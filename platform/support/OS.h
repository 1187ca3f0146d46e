// The kernel kit's few calls the kits and the add-on use.
#ifndef BRINDLE_SUPPORT_OS_H
#define BRINDLE_SUPPORT_OS_H

#include <SupportDefs.h>

#endif  // BRINDLE_SUPPORT_OS_H
