// The kernel kit's few calls the kits and the add-on use.
#ifndef _OS_H
#define _OS_H

#include <SupportDefs.h>

#endif  // _OS_H
