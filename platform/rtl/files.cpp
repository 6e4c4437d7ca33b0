// File names and the file system.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <filesystem>

#include "platform/rtl/sysutils.h"

namespace {
bool IsSep(char c) { return c == '/' || c == '\\'; }
// 0-based index just past the last separator (0 when none).
size_t NameStart(const std::string& F) {
  for (size_t i = F.size(); i > 0; --i)
    if (IsSep(F[i - 1])) return i;
  return 0;
}
}  // namespace

std::string NormalizePathDelimiters(const std::string& FileName) {
  std::string r = FileName;
  for (char& c : r)
    if (c == '\\') c = '/';
  return r;
}

std::string ExtractFilePath(const std::string& FileName) {
  return NormalizePathDelimiters(FileName.substr(0, NameStart(FileName)));
}
std::string ExtractFileDir(const std::string& FileName) {
  std::string p = ExtractFilePath(FileName);
  if (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}
std::string ExtractFileName(const std::string& FileName) { return FileName.substr(NameStart(FileName)); }
std::string ExtractFileExt(const std::string& FileName) {
  size_t start = NameStart(FileName);
  size_t dot = FileName.rfind('.');
  if (dot == std::string::npos || dot < start) return {};
  return FileName.substr(dot);
}
std::string ChangeFileExt(const std::string& FileName, const std::string& Extension) {
  size_t start = NameStart(FileName);
  size_t dot = FileName.rfind('.');
  std::string base = (dot == std::string::npos || dot < start) ? FileName : FileName.substr(0, dot);
  return NormalizePathDelimiters(base) + Extension;
}
std::string IncludeTrailingPathDelimiter(const std::string& S) {
  std::string r = NormalizePathDelimiters(S);
  if (r.empty() || r.back() != '/') r.push_back('/');
  return r;
}
std::string ExcludeTrailingPathDelimiter(const std::string& S) {
  std::string r = NormalizePathDelimiters(S);
  if (r.size() > 1 && r.back() == '/') r.pop_back();
  return r;
}
std::string ExpandFileName(const std::string& FileName) {
  std::error_code ec;
  auto p = std::filesystem::absolute(NormalizePathDelimiters(FileName), ec);
  if (ec) return NormalizePathDelimiters(FileName);
  return p.lexically_normal().string();
}

bool FileExists(const std::string& FileName) {
  struct stat st;
  return !FileName.empty() && ::stat(NormalizePathDelimiters(FileName).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}
bool DirectoryExists(const std::string& Directory) {
  struct stat st;
  return !Directory.empty() && ::stat(NormalizePathDelimiters(Directory).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
bool CreateDir(const std::string& Dir) { return ::mkdir(NormalizePathDelimiters(Dir).c_str(), 0777) == 0; }
bool RemoveDir(const std::string& Dir) { return ::rmdir(NormalizePathDelimiters(Dir).c_str()) == 0; }
bool ForceDirectories(const std::string& Dir) {
  std::string d = ExcludeTrailingPathDelimiter(Dir);
  if (d.empty()) return false;
  if (DirectoryExists(d)) return true;
  std::string parent = ExtractFileDir(d);
  if (!parent.empty() && parent != d && !ForceDirectories(parent)) return false;
  return CreateDir(d) || DirectoryExists(d);
}
bool DeleteFile(const std::string& FileName) {
  if (!FileExists(FileName)) return false;
  return ::unlink(NormalizePathDelimiters(FileName).c_str()) == 0;
}
bool RenameFile(const std::string& OldName, const std::string& NewName) {
  return std::rename(NormalizePathDelimiters(OldName).c_str(), NormalizePathDelimiters(NewName).c_str()) == 0;
}
std::string GetCurrentDir() {
  std::error_code ec;
  auto p = std::filesystem::current_path(ec);
  return ec ? std::string() : p.string();
}
bool SetCurrentDir(const std::string& Dir) { return ::chdir(NormalizePathDelimiters(Dir).c_str()) == 0; }
int64_t FileSizeOf(const std::string& FileName) {
  struct stat st;
  if (::stat(NormalizePathDelimiters(FileName).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
  return static_cast<int64_t>(st.st_size);
}
std::string ExecutablePath() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return IncludeTrailingPathDelimiter(GetCurrentDir());
  return ExtractFilePath(std::string(buf, static_cast<size_t>(n)));
}
