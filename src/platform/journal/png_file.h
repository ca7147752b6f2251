#pragma once
// Saves a canvas as a PNG picture (8-bit RGB), through libpng.

#include <string>

#include "platform/host.h"

namespace vorn::journal {

// Writes the whole of the frame's canvas to `path` (by way of a temporary
// name, so a failed write leaves no partial picture). False, with `error`
// set to a one-line reason, when it cannot.
bool WritePng(const std::string& path, const Frame& frame, std::string& error);

}  // namespace vorn::journal
