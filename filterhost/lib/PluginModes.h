// Which documents a filter plug-in takes, read from its property list the way
// an image editor decides whether to offer the filter at all. The editor never
// calls a plug-in for a document it does not take, so the plug-in need not
// check, and many do not.
//
// The 'enbl' expression decides when the plug-in has one and we can read it;
// it supersedes the 'mode' flag set, which stays for hosts that read no
// expressions (a plug-in may list only RGB there and RGB48 in the expression).
// Otherwise the 'mode' flag set decides; with neither, every mode is taken.
#pragma once

#include <string>

#include "PiplReader.h"

namespace filterhost {

// Whether the plug-in takes a document of this image mode (0..17) and depth
// (bits a sample).
bool PluginTakesMode(const Pipl& pipl, int mode, int depth);

// Empty when the plug-in takes the document; otherwise a sentence for the
// user naming the document's mode and the modes the plug-in takes.
std::string ModeRefusal(const Pipl& pipl, int mode, int depth);

// The mode's name as hosts and plug-ins know it ("RGBColor", "Gray16"), or its number.
std::string ImageModeName(int mode);

// Evaluates an 'enbl' expression for a document: integers, true and false,
// PSHOP_ImageMode, PSHOP_ImageDepth, the mode names ("RGBMode", "Gray16Mode"),
// in (x, a, b, ...), == != < <= > >=, !, && and || with parentheses. false
// when the expression holds anything else (it then cannot decide).
bool EvaluateEnableExpression(const std::string& expression, int mode, int depth, bool* enabled);

}  // namespace filterhost
