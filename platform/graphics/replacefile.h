#pragma once
// Writing a whole file so that what stood under its name is never lost: the bytes go to a temporary file
// in the same folder, are flushed to the disk, and the temporary file is renamed over the name only when
// all of it is written. On any failure the temporary file is removed and the old file stays untouched.
// No Qt types: the program's windows call it with the bytes of a picture they encoded.
#include <cstdint>
#include <span>
#include <string>

namespace PictureFiles {

// 0 when the file now holds `data`; otherwise the errno of the step that failed (creating the temporary
// file, writing, flushing or renaming). A new file gets the permissions the process's umask allows; a
// file that is replaced keeps its permissions.
int ReplaceFile(const std::string& path, std::span<const std::uint8_t> data);

}  // namespace PictureFiles
