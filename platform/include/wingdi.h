// GDI: device contexts, pens, brushes, bitmaps and blits.
#pragma once
#include "windows.h"
