// Counting the heap allocations made through operator new (the C++ side: the game, the platform layer,
// the standard library). The C libraries below (SDL, Mesa, FreeType) allocate with malloc and are not
// counted; what is asserted is that our code adds nothing per frame.
#pragma once

struct TAllocationCounts {
    long thisThread = 0;    // by the thread that started counting
    long audioThread = 0;   // by SDL's audio callback thread
};

void StartCountingAllocations();
TAllocationCounts StopCountingAllocations();
