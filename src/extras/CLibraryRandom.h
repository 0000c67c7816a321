// CLibraryRandom - the C library's random numbers, apart from the game's own seeded generator.
#pragma once

// The C library's generator (the game itself uses RandomInt/SeedRandom): an integer from low to high,
// both included, in either order.
int CRandomInt(int low, int high);
int CSeedRandom(int seed);
