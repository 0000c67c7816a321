// The platform layer in one include: display, images, fonts, sound, input, timing, random numbers, process.
#pragma once

#include "platform/Containers.h"
#include "platform/Display.h"
#include "platform/Font.h"
#include "platform/Image.h"
#include "platform/Input.h"
#include "platform/Process.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "platform/Timing.h"
#include "platform/sound/Sound.h"

// Initialises the platform (SDL's event and timer subsystems). Safe to call more than once.
void InitPlatform();
