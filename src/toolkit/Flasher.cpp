// Flasher - frame-counted on/off blinking.
#include "toolkit/Flasher.h"

TFlasherPtr TFlasher::Create(int duration, int onLength, int offLength)
{
    auto flasher = std::make_shared<TFlasher>();
    flasher->animCounter = static_cast<float>(duration);
    flasher->onLength = onLength;
    flasher->offLength = offLength;
    flasher->flashCounter = static_cast<float>(onLength);
    flasher->state = 1;
    return flasher;
}

int TFlasher::Logic()
{
    if (animCounter > 0.0f) {
        animCounter -= 1.0f;
        if (animCounter <= 0.0f) {
            // The frame that ends the duration does not advance the phase.
            animCounter = 0.0f;
            return 1;
        }
    }
    flashCounter -= 1.0f;
    if (flashCounter < 0.0f) {
        if (state == 0) SetToOn();
        else SetToOff();
    }
    return 0;
}

int TFlasher::SetToOff()
{
    flashCounter = static_cast<float>(offLength);
    state = 0;
    return 0;
}

int TFlasher::SetToOn()
{
    flashCounter = static_cast<float>(onLength);
    state = 1;
    return 0;
}
