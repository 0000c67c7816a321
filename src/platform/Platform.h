// The platform layer in one include: display, images, fonts, input, timing, random numbers, process.
// Sound is a library of its own built on this one: its header is platform/sound/Sound.h.
#pragma once

#include "platform/Containers.h"
#include "platform/Display.h"
#include "platform/Font.h"
#include "platform/Image.h"
#include "platform/Input.h"
#include "platform/Process.h"
#include "platform/Random.h"
#include "platform/Shapes.h"
#include "platform/Text.h"
#include "platform/Timing.h"

// Initialises the platform (SDL's event and timer subsystems). Safe to call more than once.
void InitPlatform();
