// Particle - per-frame fade, spin and growth in single precision, and the death test.
#include "toolkit/Particle.h"

TParticlePtr TParticle::CreateParticle(const TGameImagePtr& gameImage, float x, float y,
                                       const std::string& text, const TImageFontPtr& textFont)
{
    auto particle = std::make_shared<TParticle>();
    particle->x = x;
    particle->y = y;
    particle->StoreOriginalCoords();
    particle->SetImage(gameImage);
    particle->text = text;
    particle->textFont = textFont;
    return particle;
}

int TParticle::SetParams(float newAlphaDelta, float newRotationDelta, float newScaleXDelta,
                         float newScaleYDelta, float newSpeedX, float newSpeedY)
{
    alphaDelta = newAlphaDelta;
    rotationDelta = newRotationDelta;
    scaleXDelta = newScaleXDelta;
    scaleYDelta = newScaleYDelta;
    speedX = newSpeedX;
    speedY = newSpeedY;
    return 0;
}

int TParticle::Logic()
{
    Move();

    // All of this stays in float on purpose: the frame on which a fade ends depends on float rounding
    // (fifty steps of -0.02 from 1.0 leave a small positive alpha, so it dies on the 51st).
    if (alphaDelta < 0.0f) {
        alpha += alphaDelta;
        if (alpha <= 0.0f) return 0;
    } else if (alphaDelta > 0.0f) {
        alpha += alphaDelta;   // no upper limit: the drawing layer clamps at 1.0
    }

    if (rotationDelta < 0.0f) {
        rotation += rotationDelta;
        if (rotation < 0.0f) rotation += 360.0f;
    } else if (rotationDelta > 0.0f) {
        rotation += rotationDelta;
        if (rotation >= 360.0f) rotation -= 360.0f;
    }

    scaleX += scaleXDelta;
    scaleY += scaleYDelta;
    if (scaleX <= 0.0f || scaleY <= 0.0f) return 0;
    return 1;
}
