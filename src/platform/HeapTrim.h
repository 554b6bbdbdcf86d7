#pragma once

// The C library's heap, kept small for a program that idles for hours between short bursts of work.
class HeapTrim
{
public:
    // Gives the free heap pages back to the system. The allocator keeps freed memory for reuse; a
    // tray program that is idle between large, short-lived allocations (a poll's pages, a closed web
    // page) would otherwise hold its peak for the rest of the session.
    static void now();
    // At start, before any thread: the allocator would give each thread that allocates its own heap
    // (arena), each holding freed memory of its own. All threads share the main one; the worker
    // threads allocate little and seldom at the same time.
    static void limitArenas();
};
