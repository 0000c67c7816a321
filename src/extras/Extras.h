// Extras - the optional utility library in one include: what no game code calls, built and tested
// apart from the game. Each topic has a header of its own.
#pragma once

#include "extras/AppendList.h"
#include "extras/Arithmetic.h"
#include "extras/CLibraryRandom.h"
#include "extras/ColorPacking.h"
#include "extras/FloatDrawing.h"
#include "extras/Geometry.h"
#include "extras/NumberFormat.h"
#include "extras/PixelCopy.h"
