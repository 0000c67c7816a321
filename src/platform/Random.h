// Random numbers - the one seeded generator all of the game's randomness comes from.
#pragma once

void SeedRandom(int seed);
double RandomUnit();
int RandomInt(int a, int b);
double RandomFloat(double a, double b);
int RandomState();
