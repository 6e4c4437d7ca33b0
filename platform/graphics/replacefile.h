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
// file that is replaced keeps its permissions. A read-only file is refused (EACCES); through a symbolic
// link the file the link points to is replaced and the link stays. The temporary file's name is short
// and fixed in length, so any name the folder takes can be written.
int ReplaceFile(const std::string& path, std::span<const std::uint8_t> data);

// Makes a write past the process's file-size limit fail with EFBIG (reported like a full disk) instead
// of ending the program with SIGXFSZ. Called once at start-up by the graphics unit.
void IgnoreFileSizeSignal();

}  // namespace PictureFiles
