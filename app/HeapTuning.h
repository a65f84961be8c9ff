#pragma once
// Every opening of the plan dialog reads both lists afresh, a world-sized airport list among them.
// glibc gives the pages of such a freed list back to the system and the next opening faults every
// page in again; keeping freed memory in the process (up to a few tens of MiB) spares that.

#ifdef __GLIBC__
#include <malloc.h>
#endif

inline void KeepFreedMemory()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 8 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
#endif
}
