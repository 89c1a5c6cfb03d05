// The size of a path held in UTF-8 by the desktop program.
#pragma once

// Any path of MAX_PATH (260) UTF-16 units takes at most 3 bytes a unit, so a
// Japanese path a file dialog returns fits, with a file name added to a directory
// of that length.
constexpr int PATH_BYTES = 1024;
