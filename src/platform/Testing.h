// Testing - what tests, benchmarks, replays and the screenshot tool drive the platform with. Each hook
// is declared beside the code that carries it out, in its folder's own testing header, and gathered
// here for them: the virtual clock, a modelled display refresh and a stand-in for the wait on the
// window (loop/), injected input (input/), the drawing counters and the text drawn (gfx/), reading the
// picture back (gl/), the steps of writing a kept record (sys/).
// The program-exit hook is a plain platform function (Process.h). No file of the program includes this
// header (a test of the build checks that), so nothing the game does can depend on it.
#pragma once

#include "platform/Process.h"
#include "platform/gfx/GfxTesting.h"
#include "platform/gl/GLTesting.h"
#include "platform/input/InputTesting.h"
#include "platform/loop/LoopTesting.h"
#include "platform/sys/SysTesting.h"

