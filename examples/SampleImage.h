// The sample image the examples filter and the dialog's tests open.
// The top part is a colour wheel on a grey ground: hue around the centre,
// saturation rising from the centre to the rim. Below it are two ramps across
// every hue, the first in saturation (grey at its top to full colour at its
// bottom), the second in brightness (black to full), and a grey ramp last.
#pragma once

#include "filterhost/lib/PngFile.h"

// 768 x 752 pixels, RGB, bits 8 (samples 0..255) or 16 (0..65535).
filterhost::PngImage DrawSampleImage(int bits);
