// Replacing a file: a failure part-way (a file-size limit stands in for a full disk) leaves the old file
// and no temporary file behind; success keeps the old file's permissions; read-only files, symbolic
// links and the longest names a folder takes are handled as a direct write would handle them.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/graphics/codecs.h"
#include "platform/graphics/replacefile.h"
#include "platform/win/testing.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Contents(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

// Test processes run in parallel: each has folders of its own.
fs::path FreshFolder(const char* name) { return fs::path(win::TempFolder(name)); }

std::size_t EntriesIn(const fs::path& dir) { return std::size_t(std::distance(fs::directory_iterator(dir), {})); }

// Writing more than `limit` bytes to any file fails with EFBIG while this lives, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    getrlimit(RLIMIT_FSIZE, &old_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit l = old_;
    l.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &l);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit old_{};
  void (*previous_)(int) = nullptr;
};

}  // namespace

TEST(ReplaceFile, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  const fs::path dir = FreshFolder("replace_fail");
  const fs::path target = dir / "0.bmp";
  const Bytes good(3000, 0x42), bigger(20000, 0x17);
  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), good), 0);
  {
    FileSizeLimit limit(8192);
    EXPECT_EQ(PictureFiles::ReplaceFile(target.string(), bigger), EFBIG);
    errno = 0;
    EXPECT_FALSE(PictureCodecs::WriteWholeFile(target.string(), bigger));
    EXPECT_EQ(errno, EFBIG);  // the reason stays readable for the caller
  }
  EXPECT_EQ(Contents(target), good);
  EXPECT_EQ(EntriesIn(dir), 1u);

  // A missing folder and a folder in the way are refused with their reasons, creating nothing.
  EXPECT_EQ(PictureFiles::ReplaceFile((dir / "no" / "such.bmp").string(), good), ENOENT);
  fs::create_directory(dir / "taken.bmp");
  EXPECT_EQ(PictureFiles::ReplaceFile((dir / "taken.bmp").string(), good), EISDIR);
  EXPECT_EQ(EntriesIn(dir), 2u);
}

TEST(ReplaceFile, ReplacesWholeAndKeepsThePermissions) {
  const fs::path dir = FreshFolder("replace_ok");
  const fs::path target = dir / "page.bmp";
  const Bytes first(5000, 1), second(70, 2);
  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), first), 0);
  const mode_t mask = ::umask(022);
  ::umask(mask);
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
  ::chmod(target.c_str(), 0640);
  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), second), 0);
  EXPECT_EQ(Contents(target), second);  // shorter than before: nothing of the old file is left at its end
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // A plain name is written in the current folder.
  const fs::path here = fs::current_path();
  fs::current_path(dir);
  EXPECT_EQ(PictureFiles::ReplaceFile("plain.bmp", second), 0);
  fs::current_path(here);
  EXPECT_EQ(Contents(dir / "plain.bmp"), second);
  EXPECT_EQ(EntriesIn(dir), 2u);
}

// A read-only file is not replaced behind the user's back: the save is refused with the reason a direct
// write gives (permission), and the file stays as it was.
TEST(ReplaceFile, AReadOnlyFileIsRefused) {
  const fs::path dir = FreshFolder("replace_readonly");
  const fs::path target = dir / "kept.bmp";
  const Bytes first(100, 1), second(200, 2);
  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), first), 0);
  ::chmod(target.c_str(), 0444);
  EXPECT_EQ(PictureFiles::ReplaceFile(target.string(), second), EACCES);
  EXPECT_EQ(Contents(target), first);
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  EXPECT_EQ(EntriesIn(dir), 1u);
  // Writable again, it is replaced.
  ::chmod(target.c_str(), 0644);
  EXPECT_EQ(PictureFiles::ReplaceFile(target.string(), second), 0);
  EXPECT_EQ(Contents(target), second);
}

// Saving through a symbolic link writes the file the link points to (also through a chain of links, and
// a link to a file not made yet); the links stay links.
TEST(ReplaceFile, ASymbolicLinkIsFollowedAndStaysALink) {
  const fs::path dir = FreshFolder("replace_link");
  fs::create_directory(dir / "real");
  const fs::path file = dir / "real" / "picture.bmp";
  const Bytes first(100, 1), second(300, 2), third(50, 3);
  ASSERT_EQ(PictureFiles::ReplaceFile(file.string(), first), 0);
  fs::create_symlink("real/picture.bmp", dir / "link.bmp");  // relative to the link's folder
  fs::create_symlink(dir / "link.bmp", dir / "chain.bmp");
  EXPECT_EQ(PictureFiles::ReplaceFile((dir / "link.bmp").string(), second), 0);
  EXPECT_TRUE(fs::is_symlink(dir / "link.bmp"));
  EXPECT_EQ(Contents(file), second);
  EXPECT_EQ(PictureFiles::ReplaceFile((dir / "chain.bmp").string(), third), 0);
  EXPECT_TRUE(fs::is_symlink(dir / "chain.bmp"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.bmp"));
  EXPECT_EQ(Contents(file), third);
  EXPECT_EQ(EntriesIn(dir / "real"), 1u);
  EXPECT_EQ(EntriesIn(dir), 3u);
  fs::create_symlink("real/new.bmp", dir / "ahead.bmp");
  EXPECT_EQ(PictureFiles::ReplaceFile((dir / "ahead.bmp").string(), first), 0);
  EXPECT_TRUE(fs::is_symlink(dir / "ahead.bmp"));
  EXPECT_EQ(Contents(dir / "real" / "new.bmp"), first);
  // Links that point at each other are refused with their reason.
  fs::create_symlink("loop2.bmp", dir / "loop1.bmp");
  fs::create_symlink("loop1.bmp", dir / "loop2.bmp");
  EXPECT_EQ(PictureFiles::ReplaceFile((dir / "loop1.bmp").string(), first), ELOOP);
}

// Every name the folder takes can be written, up to the longest (255 bytes): the temporary name does not
// grow with the target's.
TEST(ReplaceFile, TheLongestNamesAreWritten) {
  const fs::path dir = FreshFolder("replace_long");
  const Bytes data(64, 7);
  for (std::size_t length : {251u, 252u, 253u, 254u, 255u}) {
    SCOPED_TRACE(length);
    const std::string name = std::string(length - 4, 'n') + ".bmp";
    EXPECT_EQ(PictureFiles::ReplaceFile((dir / name).string(), data), 0);
    EXPECT_EQ(Contents(dir / name), data);
    EXPECT_EQ(PictureFiles::ReplaceFile((dir / name).string(), data), 0);  // and replaced again
  }
  EXPECT_EQ(EntriesIn(dir), 5u);
  // One byte more is refused by the folder, with its reason.
  EXPECT_EQ(PictureFiles::ReplaceFile((dir / (std::string(252, 'n') + ".bmp")).string(), data), ENAMETOOLONG);
  EXPECT_EQ(EntriesIn(dir), 5u);
}
