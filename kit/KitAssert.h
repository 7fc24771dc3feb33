#pragma once
// Assertions on conditions the kit assumes cannot happen: a debug build reports the
// file and line on the standard error stream and goes on; a release build does nothing.

#include <cstdio>

#ifdef NDEBUG
#define KIT_ASSERT(condition) ((void)0)
#else
#define KIT_ASSERT(condition)                                                                \
    ((condition) ? (void)0                                                                   \
                 : (void)std::fprintf(stderr, "%s(%d): assertion failed: %s\n", __FILE__,   \
                                      __LINE__, #condition))
#endif
