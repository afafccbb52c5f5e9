#pragma once

// On the virtual machines the program often runs on, each first touch of a fresh 4 KiB page costs
// some ten microseconds: a start that touches tens of megabytes spends more time in page faults
// than in its own work. These let the heaps use transparent huge pages, which turn thousands of
// faults into a few. They are hints: where they do not apply, nothing changes but the speed.

// The main heap, grown once ahead of what start-up will touch. Call first thing in main(), once.
void UseHugePagesForTheMainHeap() noexcept;

// The malloc arena of the calling thread (glibc reserves a thread's arena 64 MiB-aligned and
// grows it in place), for a thread that is about to allocate a lot.
void UseHugePagesForThisThreadsHeap() noexcept;
