#pragma once

// Gives the C library's free heap pages back to the system. The allocator keeps freed memory for
// reuse; a tray program that is idle for hours between large, short-lived allocations (a poll's
// pages, a closed web page) would otherwise hold its peak for the rest of the session.
class HeapTrim
{
public:
    static void now();
};
