// Basic types of the platform kit: fixed-width integers, status_t, type codes.
#ifndef BRINDLE_SUPPORT_SUPPORT_DEFS_H
#define BRINDLE_SUPPORT_SUPPORT_DEFS_H

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

#include <Errors.h>

typedef int8_t int8;
typedef uint8_t uint8;
typedef int16_t int16;
typedef uint16_t uint16;
typedef int32_t int32;
typedef uint32_t uint32;
typedef int64_t int64;
typedef uint64_t uint64;

typedef int32 status_t;
typedef uint32 type_code;
typedef int64 bigtime_t;
typedef int32 team_id;
typedef int32 thread_id;

// Adds `value` to `*target` atomically and returns the value it held before.
int32 atomic_add(int32 *target, int32 value);

#endif  // BRINDLE_SUPPORT_SUPPORT_DEFS_H
