// Particle - a sprite that fades, spins, grows or shrinks by itself each frame and reports its death.
#pragma once

#include <memory>
#include <string>

#include "toolkit/Sprite.h"

class TParticle : public TSprite {
public:
    // All deltas 0, alpha 1.0, scale 1.0.
    static std::shared_ptr<TParticle> CreateParticle(const TGameImagePtr& gameImage, float x, float y,
                                                     const std::string& text = "",
                                                     const TImageFontPtr& textFont = nullptr);

    // One frame of change: 1 still alive, 0 faded out or shrunk away.
    int Logic() override;
    virtual int SetParams(float newAlphaDelta, float newRotationDelta, float newScaleXDelta,
                           float newScaleYDelta, float newSpeedX, float newSpeedY);

    float alphaDelta = 0.0f;
    float rotationDelta = 0.0f;
    float scaleXDelta = 0.0f;
    float scaleYDelta = 0.0f;
};

using TParticlePtr = std::shared_ptr<TParticle>;
