#pragma once
// Saves a canvas as a PNG picture (8-bit RGB), through libpng.

#include <string>

#include "platform/host.h"

namespace vorn::journal {

// Whether a picture can be saved as `path` at the end of a replay of the
// journal `journal`, looked at before the replay starts: not a folder, not
// the journal itself (by the file it is, however it is spelled), not where
// the temporary PATH.part stands, and in a folder that can be written. An
// existing picture (a PNG) of that name is replaced; any other file there is
// refused. False, with `error` set to a one-line reason, when it cannot.
bool CheckPngTarget(const std::string& path, const std::string& journal, std::string& error);

// Writes the whole of the frame's canvas to `path` by way of PATH.part, made
// new, so a failed write leaves no partial picture and replaces nothing; the
// picture takes the name only where nothing or a picture stands (else it
// stays in PATH.part). False, with `error` set to a one-line reason (saying
// where a whole picture is kept), when it cannot.
bool WritePng(const std::string& path, const Frame& frame, std::string& error);

}  // namespace vorn::journal
