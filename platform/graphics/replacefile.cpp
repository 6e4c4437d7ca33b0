#include "platform/graphics/replacefile.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace PictureFiles {
namespace {

constexpr char kTempPrefix[] = ".~sv.";

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t NewFileMode(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);  // reading the mask means setting it; put it straight back
  ::umask(mask);
  return 0666 & ~mask;
}

// The file a name stands for: a symbolic link is followed (link by link, so that a link to a file not
// yet made names that file), and the file it ends at is the one replaced; the link stays a link.
int FollowLinks(std::string& path) {
  for (int depth = 0;; ++depth) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    if (depth == 40) return ELOOP;
    std::vector<char> target(std::size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size() - 1);
    if (n < 0) return errno;
    std::string next(target.data(), std::size_t(n));
    if (next.empty()) return ENOENT;
    if (next[0] != '/') next = FolderOf(path) + "/" + next;
    path = std::move(next);
  }
}

// A file that may not be written is not replaced either: the rename would only need the folder's
// permission, but the user made the file read-only. Refused with the reason a direct write gives.
int CheckWritable(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  if (::access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) return errno;
  // Read-only for everyone: refused for the administrator too, whom the system lets write anything.
  if ((st.st_mode & 0222) == 0) return EACCES;
  return 0;
}

int WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += std::size_t(n);
  }
  return 0;
}

// This machine, as eight hex digits of its name: a temporary file made by another machine sharing the
// folder is never taken for one of ours.
const std::string& HostTag() {
  static const std::string tag = [] {
    utsname u {};
    ::uname(&u);
    std::uint32_t h = 2166136261u;
    for (const char* p = u.nodename; *p; ++p) h = (h ^ std::uint8_t(*p)) * 16777619u;
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08x", unsigned(h));
    return std::string(buf);
  }();
  return tag;
}

// The parts of a temporary file's name: host tag and process id; false for any other name.
bool ParseTemporaryName(const std::string& name, std::string& host, long& pid) {
  const std::size_t prefix = sizeof kTempPrefix - 1;
  if (name.compare(0, prefix, kTempPrefix) != 0) return false;
  const std::size_t dot1 = prefix + 8, dot2 = name.find('.', dot1 + 1);
  if (name.size() <= dot1 || name[dot1] != '.' || dot2 == std::string::npos) return false;
  host = name.substr(prefix, 8);
  for (char c : host)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  const std::string digits = name.substr(dot1 + 1, dot2 - dot1 - 1);
  if (digits.empty() || digits.size() > 9 || digits[0] == '0') return false;
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  pid = std::strtol(digits.c_str(), nullptr, 10);
  return name.size() == dot2 + 1 + 6;  // the six random characters
}

// A lock on the whole file that belongs to this open file, not to the process: a save holds it while it
// writes, so that a file whose lock can be taken is written by nobody.
bool LockWhole(int fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Removes the temporary files that earlier saves of this user on this machine left in the folder when
// they were ended half way. A file is taken only when everything says it is abandoned: its name has the
// exact form, its process is gone, it is a regular file of ours and nobody holds its lock.
void RemoveAbandonedTemporaryFiles(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const int dfd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    std::string host;
    long pid = 0;
    if (!ParseTemporaryName(name, host, pid) || host != HostTag()) continue;
    if (pid == long(::getpid()) || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
    const int fd = ::openat(dfd, name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && LockWhole(fd))
      ::unlinkat(dfd, name.c_str(), 0);
    ::close(fd);
  }
  ::closedir(dir);
}

// Overwrites a regular file that cannot be replaced with the whole content. Its space is taken first,
// so that a disk too full for the content fails before anything of the old file is changed.
int OverwriteInPlace(const std::string& path, std::span<const std::uint8_t> data) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno;
  auto fail = [&](int err) {
    ::close(fd);
    return err;
  };
  if (!data.empty() && ::fallocate(fd, 0, 0, off_t(data.size())) != 0 && errno != EOPNOTSUPP && errno != ENOSYS &&
      errno != EINVAL)
    return fail(errno);
  if (const int err = WriteAll(fd, data.data(), data.size())) return fail(err);
  if (::ftruncate(fd, off_t(data.size())) != 0) return fail(errno);
  if (::fsync(fd) != 0) return fail(errno);
  return ::close(fd) != 0 ? errno : 0;
}

}  // namespace

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

bool IsTemporaryFileName(const std::string& name) {
  std::string host;
  long pid = 0;
  return ParseTemporaryName(name, host, pid);
}

FileReplacement::~FileReplacement() { Abandon(); }

int FileReplacement::Open(const std::string& requested) {
  Abandon();
  error_ = 0;
  if (requested.empty() || requested.back() == '/') return EISDIR;
  std::string path = requested;
  if (const int err = FollowLinks(path)) return err;
  target_ = path;
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return EISDIR;
  if (exists && !S_ISREG(st.st_mode)) {
    // A FIFO, a device, a socket: what the name stands for is written, as a direct write would.
    fd_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) return errno;
    mode_ = Mode::InPlace;
    return 0;
  }
  if (const int err = CheckWritable(path)) return err;
  const std::string folder = FolderOf(path);
  RemoveAbandonedTemporaryFiles(folder);
  // A short name in the target's folder: a name made longer than the target's could pass the longest
  // name the folder allows while the target's own does not.
  std::string name = folder;
  if (name.back() != '/') name += '/';
  name += kTempPrefix + HostTag() + "." + std::to_string(::getpid()) + ".XXXXXX";
  std::vector<char> temp(name.begin(), name.end());
  temp.push_back('\0');
  fd_ = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd_ < 0) {
    const int err = errno;
    // A folder that takes no new file: a file that may be written is overwritten once all is ready.
    if (exists && (err == EACCES || err == EPERM)) {
      mode_ = Mode::Gathered;
      return 0;
    }
    return err;
  }
  temp_ = temp.data();
  mode_ = Mode::Temporary;
  LockWhole(fd_);  // where the file system has no such locks the file is simply never taken as abandoned
  if (::fchmod(fd_, NewFileMode(path)) != 0) {
    const int err = errno;
    Abandon();
    return err;
  }
  return 0;
}

int FileReplacement::Write(const void* data, std::size_t size) {
  if (error_ || size == 0) return error_;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  switch (mode_) {
    case Mode::Temporary:
    case Mode::InPlace:
      error_ = WriteAll(fd_, bytes, size);
      break;
    case Mode::Gathered:
      gathered_.insert(gathered_.end(), bytes, bytes + size);
      break;
    case Mode::None:
      error_ = EBADF;
      break;
  }
  return error_;
}

int FileReplacement::Commit() {
  int err = error_;
  switch (mode_) {
    case Mode::None:
      return EBADF;
    case Mode::InPlace:
      if (::close(fd_) != 0 && !err) err = errno;
      fd_ = -1;
      break;
    case Mode::Gathered:
      if (!err) err = OverwriteInPlace(target_, gathered_);
      break;
    case Mode::Temporary:
      // Renamed while still open and locked, so that no other save takes it for abandoned meanwhile.
      if (!err && ::fsync(fd_) != 0) err = errno;
      if (!err && ::rename(temp_.c_str(), target_.c_str()) != 0) err = errno;
      if (err) ::unlink(temp_.c_str());
      ::close(fd_);
      fd_ = -1;
      temp_.clear();
      break;
  }
  mode_ = Mode::None;
  gathered_ = {};
  error_ = 0;
  return err;
}

void FileReplacement::Abandon() {
  if (fd_ >= 0) {
    if (mode_ == Mode::Temporary) ::unlink(temp_.c_str());
    ::close(fd_);
  }
  fd_ = -1;
  temp_.clear();
  gathered_ = {};
  mode_ = Mode::None;
}

int ReplaceFile(const std::string& path, std::span<const std::uint8_t> data) {
  FileReplacement file;
  if (const int err = file.Open(path)) return err;
  if (const int err = file.Write(data.data(), data.size())) return err;
  return file.Commit();
}

}  // namespace PictureFiles
