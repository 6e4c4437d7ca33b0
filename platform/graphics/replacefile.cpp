#include "platform/graphics/replacefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace

int ReplaceFile(const std::string& path, std::span<const std::uint8_t> data) {
  if (path.empty() || path.back() == '/') return EISDIR;
  std::string name = FolderOf(path);
  const std::string base = path.substr(path.find_last_of('/') + 1);
  name += (name.back() == '/' ? "." : "/.") + base + ".XXXXXX";
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
