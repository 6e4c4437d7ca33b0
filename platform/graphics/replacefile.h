#pragma once
// Writing a whole file so that what stood under its name is never lost: the bytes go to a temporary file
// in the same folder, are flushed to the disk, and the temporary file is renamed over the name only when
// all of it is written. On any failure the temporary file is removed and the old file stays untouched.
// No Qt types: the program's windows call it with the bytes of a picture they encoded, the grid's export
// writes its bytes through a FileReplacement as it makes them.
//
// Targets that cannot be replaced are written in place instead: a FIFO, a device or any other file that
// is not a regular file is opened and written as it stands (never replaced by a regular file), and a
// writable file in a folder that cannot take a new file is overwritten once the whole content is ready
// (its space taken first where the file system allows, so that a full disk leaves it as it was).
//
// Temporary files are named ".~sv.<host>.<process>.<random>" and locked while they are written. A save
// removes the temporary files of earlier saves into the same folder that were left behind by a process
// of this machine that has ended (killed half way): only files of that exact form, owned by this user,
// whose process is gone and whose lock nobody holds.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace PictureFiles {

// One file being replaced, written in pieces. Open, Write as often as needed, then Commit; destroying
// it or calling Abandon before Commit leaves the old file as it was.
class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Starts replacing `path`: 0, or the errno of the step that failed (nothing is changed then). A read-only
  // file is refused (EACCES); through a symbolic link the file the link points to is written and the link
  // stays; a folder in the way gives EISDIR.
  int Open(const std::string& path);
  // Appends bytes: 0 or the errno of the failed write (kept: later writes and Commit return it).
  int Write(const void* data, std::size_t size);
  // Puts the whole content under the name: 0 or the errno of the failed step (the old file stays).
  int Commit();
  // Drops what was written; the old file stays.
  void Abandon();
  // The temporary file being written, or "" when the target is written in place.
  const std::string& TemporaryName() const { return temp_; }

 private:
  enum class Mode { None, Temporary, InPlace, Gathered };
  Mode mode_ = Mode::None;
  int fd_ = -1;
  int error_ = 0;
  std::string target_;
  std::string temp_;
  std::vector<std::uint8_t> gathered_;  // the content of a file that is overwritten in place at Commit
};

// 0 when the file now holds `data`; otherwise the errno of the step that failed (creating the temporary
// file, writing, flushing or renaming). A new file gets the permissions the process's umask allows; a
// file that is replaced keeps its permissions. A read-only file is refused (EACCES); through a symbolic
// link the file the link points to is replaced and the link stays. The temporary file's name is short,
// so any name the folder takes can be written.
int ReplaceFile(const std::string& path, std::span<const std::uint8_t> data);

// Whether `name` (a name inside a folder, no path) has the form of this helper's temporary files.
bool IsTemporaryFileName(const std::string& name);

// Makes a write past the process's file-size limit fail with EFBIG (reported like a full disk) instead
// of ending the program with SIGXFSZ. Called once at start-up by the graphics unit.
void IgnoreFileSizeSignal();

}  // namespace PictureFiles
