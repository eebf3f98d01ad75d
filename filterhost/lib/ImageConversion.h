// PNG images to and from our host's documents. Grey (with or without alpha)
// becomes image mode 1 (10 at 16 bits), RGB mode 3 or 11 with 3 planes, RGBA
// the same modes with 4 planes. 16-bit samples meet the host scale 0..32768
// through HostScale.h.
#pragma once

#include "Document.h"
#include "PngFile.h"

namespace filterhost {

Document DocumentFromPng(const PngImage& png);

// The document as a PNG of the original's shape. A 16-bit sample whose host
// value is still the one read from the original keeps its original file
// value, so untouched pixels come back bit for bit.
PngImage PngFromDocument(const Document& result, const Document& original, const PngImage& originalPng);

}  // namespace filterhost
