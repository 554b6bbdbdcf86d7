#include "platform/HeapTrim.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void HeapTrim::now()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
