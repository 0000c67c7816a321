// Profile - the run's record and its two update operations.
#include "play/Profile.h"

TProfilePtr TProfile::Create()
{
    return std::make_shared<TProfile>();
}

int TProfile::UpdateLives(int delta)
{
    lives += delta;
    if (lives < 0)
        lives = 0;
    return 0;
}

int TProfile::UpdateScore(int delta)
{
    score += delta;
    return 0;
}
