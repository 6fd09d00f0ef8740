// Replacing a file's contents so that a reader sees either the old file or the whole new one,
// and nothing of the user's is lost on the way.
#pragma once

#include <string>

namespace Orvanta {

// Writes contents to a temporary file of a unique name in the target's folder, flushes it to
// disk, renames it over the target and flushes the folder. A symbolic link is followed: its
// target is replaced and the link stays. The file keeps its permissions (a new one gets the
// usual ones); a read-only file is not replaced. On failure the target is untouched and
// *problem (when given) says why in one line.
bool replaceFile(const std::string& path, const std::string& contents, std::string* problem);

}  // namespace Orvanta
