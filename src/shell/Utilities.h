// Utilities - the shell's free helpers in one include; each topic has a header of its own.
#pragma once

#include "shell/Arithmetic.h"
#include "shell/CRandom.h"
#include "shell/ColorPacking.h"
#include "shell/FloatDrawing.h"
#include "shell/Geometry.h"
#include "shell/ListAppend.h"
#include "shell/NumberFormat.h"
#include "shell/PixelCopy.h"
