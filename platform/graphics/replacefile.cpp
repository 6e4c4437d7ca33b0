#include "platform/graphics/replacefile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <vector>

namespace PictureFiles {
namespace {

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

}  // namespace

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

int ReplaceFile(const std::string& requested, std::span<const std::uint8_t> data) {
  if (requested.empty() || requested.back() == '/') return EISDIR;
  std::string path = requested;
  if (const int err = FollowLinks(path)) return err;
  if (const int err = CheckWritable(path)) return err;
  // A short fixed name in the target's folder: a name made longer than the target's could pass the
  // longest name the folder allows while the target's own does not.
  std::string name = FolderOf(path);
  name += name.back() == '/' ? ".~sv" : "/.~sv";
  name += "XXXXXX";
  std::vector<char> temp(name.begin(), name.end());
  temp.push_back('\0');
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(temp.data());
    return err;
  };
  if (::fchmod(fd, NewFileMode(path)) != 0) return fail(errno);
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    done += std::size_t(n);
  }
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.data());
    return err;
  }
  if (::rename(temp.data(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.data());
    return err;
  }
  return 0;
}

}  // namespace PictureFiles
