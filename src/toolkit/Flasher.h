// Flasher - an on/off blink timer counted in frames, optionally for a limited duration.
#pragma once

#include <memory>

class TFlasher {
public:
    // duration 0 flashes for ever; otherwise Logic reports 1 once, on its duration-th call.
    static std::shared_ptr<TFlasher> Create(int duration, int onLength, int offLength);
    virtual ~TFlasher() = default;

    // One frame: 1 on the single frame the duration runs out, else 0.
    virtual int Logic();
    virtual int SetToOff();
    virtual int SetToOn();

    int state = 1;              // 1 on, 0 off
    float animCounter = 0.0f;   // frames of flashing left; 0 or less = no end
    float flashCounter = 0.0f;  // frames left in this phase; switches when it drops below 0
    int onLength = 0;
    int offLength = 0;
};

using TFlasherPtr = std::shared_ptr<TFlasher>;
