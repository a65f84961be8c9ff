#pragma once
// Asking memory for bytes before they are read, so that the waits of several reads overlap instead
// of following one another. Core, no Qt.

inline void Prefetch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
    // A function that only prefetches counts as doing nothing to the compiler, and a call of it would be
    // dropped; this empty statement is something it must keep.
    asm volatile("" : : "r"(address));
#else
    (void)address;
#endif
}
