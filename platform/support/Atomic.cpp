#include <SupportDefs.h>

int32 atomic_add(int32 *target, int32 value) {
    return __atomic_fetch_add(target, value, __ATOMIC_SEQ_CST);
}
