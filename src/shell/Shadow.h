// TShadow - a black drop shadow for text and sprites: an offset the drawer adds, and an alpha.
#pragma once

#include <memory>

class TShadow;
using TShadowPtr = std::shared_ptr<TShadow>;

class TShadow {
public:
    float X = 1.0f;
    float Y = 1.0f;
    float alpha = 0.5f;

    static TShadowPtr Create(float x, float y, float alpha);

    int Init(float x, float y, float a);
    int Copy(const TShadowPtr& source);
    // Black at the shadow's alpha; X and Y are for the drawer to add to its own position.
    int Apply();
    // White at alpha 1.0.
    static int Restore();
};
