// Random numbers - the one seeded generator all of the game's randomness comes from.
#pragma once

void SeedRandom(int seed);
double RandomUnit();
int RandomInt(int a, int b);
double RandomFloat(double a, double b);

// A launch given a fixed seed draws its questions from a generator of their own, seeded here, so the
// effects (which vary with each player's answers) never shift them: everyone given the seed is asked
// the same questions. Until then, and after StopQuestionRandom, questions share the one generator.
void SeedQuestionRandom(int seed);
void StopQuestionRandom();
// While one lives, the functions above draw from the question generator when one is seeded.
class TQuestionDraws {
public:
    TQuestionDraws();
    ~TQuestionDraws();
    TQuestionDraws(const TQuestionDraws&) = delete;
    TQuestionDraws& operator=(const TQuestionDraws&) = delete;

private:
    bool swapped;
};
