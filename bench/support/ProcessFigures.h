#pragma once
// Figures of this process that the benchmarks print beside their times.

#ifndef _WIN32
#include <sys/resource.h>
#endif

// Minor page faults so far: pages touched for the first time, which the heap had given back to the
// system or never had. A list built in such memory pays one fault per page of its size.
inline double MinorFaults()
{
#ifdef _WIN32
    return 0;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_minflt);
#endif
}
