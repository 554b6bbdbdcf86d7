#include "platform/HeapTrim.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void HeapTrim::now()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void HeapTrim::limitArenas()
{
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 1);
#endif
}
