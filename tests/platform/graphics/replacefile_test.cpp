// Replacing a file: a failure part-way (a file-size limit stands in for a full disk) leaves the old file
// and no temporary file behind; success keeps the old file's permissions; read-only files, symbolic
// links and the longest names a folder takes are handled as a direct write would handle them. FIFOs and
// devices are written in place, a file in a folder that takes no new file is overwritten whole, and the
// temporary file of a save killed half way is removed by the next save into its folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

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

namespace {

// Runs `body` as a user without the administrator's rights (in a child process when the tests run as the
// administrator, who may write into any folder) and returns its result (0..255).
int AsOrdinaryUser(const std::function<int()>& body) {
  if (::geteuid() != 0) return body();
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(255);
    ::_exit(body() & 0xff);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 254;
}

std::vector<std::string> TemporaryFilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    if (PictureFiles::IsTemporaryFileName(e.path().filename().string())) names.push_back(e.path().filename().string());
  return names;
}

}  // namespace

// A FIFO or a device under the name is written as it stands: a reader of the FIFO gets the bytes, a
// device that is full reports it, and none of them becomes a regular file.
TEST(ReplaceFile, AFifoOrADeviceIsWrittenInPlace) {
  const fs::path dir = FreshFolder("replace_special");
  const fs::path fifo = dir / "p.csv";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);  // a reader is there: the write does not wait
  ASSERT_GE(reader, 0);
  const Bytes data(5000, 0x33);
  EXPECT_EQ(PictureFiles::ReplaceFile(fifo.string(), data), 0);
  EXPECT_TRUE(fs::is_fifo(fifo));
  Bytes got(8000);
  const ssize_t n = ::read(reader, got.data(), got.size());
  ::close(reader);
  got.resize(n > 0 ? std::size_t(n) : 0);
  EXPECT_EQ(got, data);
  // A link to the FIFO: the FIFO is written, the link stays.
  fs::create_symlink("p.csv", dir / "link.csv");
  const int reader2 = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  EXPECT_EQ(PictureFiles::ReplaceFile((dir / "link.csv").string(), data), 0);
  ::close(reader2);
  EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
  EXPECT_TRUE(fs::is_fifo(fifo));

  // Devices as the system has them: one that takes everything, one that is always full (a full disk).
  const bool made = ::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 &&
                    ::mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
  if (made) {
    EXPECT_EQ(PictureFiles::ReplaceFile((dir / "null").string(), data), 0);
    EXPECT_EQ(PictureFiles::ReplaceFile((dir / "full").string(), data), ENOSPC);
    EXPECT_TRUE(fs::is_character_file(dir / "null"));
    EXPECT_TRUE(fs::is_character_file(dir / "full"));
  }
  EXPECT_EQ(EntriesIn(dir), made ? 4u : 2u);  // no temporary file left
  if (!made) GTEST_SKIP() << "devices cannot be made here; the FIFO was checked";
}

// A folder that takes no new file: a file there that may be written is overwritten with the whole
// content (shorter content leaves nothing of the old at its end), a new file is refused with the
// folder's reason, and a full disk leaves the old file as it was.
TEST(ReplaceFile, AWritableFileInAFolderThatTakesNoNewFileIsOverwrittenWhole) {
  const fs::path dir = FreshFolder("replace_closed");
  const fs::path target = dir / "kept.bmp";
  const Bytes first(6000, 1), second(2500, 2), bigger(40000, 3);
  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), first), 0);
  ::chmod(target.c_str(), 0666);
  ::chmod(dir.c_str(), 0555);
  EXPECT_EQ(AsOrdinaryUser([&] { return PictureFiles::ReplaceFile(target.string(), second); }), 0);
  EXPECT_EQ(Contents(target), second);
  EXPECT_EQ(AsOrdinaryUser([&] { return PictureFiles::ReplaceFile((dir / "new.bmp").string(), second); }), EACCES);
  EXPECT_EQ(AsOrdinaryUser([&] {
              FileSizeLimit full(8192);
              return PictureFiles::ReplaceFile(target.string(), bigger);
            }),
            EFBIG);
  EXPECT_EQ(Contents(target), second);
  ::chmod(dir.c_str(), 0755);
  EXPECT_EQ(EntriesIn(dir), 1u);
}

// A save killed half way leaves its temporary file; the next save into that folder removes it. Files
// that are not provably abandoned stay: a save still running, a file whose lock is held, a file of
// another user, of another machine, or of another form.
TEST(ReplaceFile, ASaveKilledHalfWayIsCleanedUpByTheNextSave) {
  const fs::path dir = FreshFolder("replace_killed");
  const fs::path target = dir / "big.bmp";
  const Bytes old(100, 9), fresh(300, 8);
  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), old), 0);
  // A save that writes part of its content, says so and waits to be ended.
  auto startSave = [&](int& ready) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(fds[0]);
      PictureFiles::FileReplacement file;
      const Bytes part(1 << 20, 7);
      const int err = file.Open(target.string()) || file.Write(part.data(), part.size());
      const char done = err ? 'e' : 'w';
      (void)!::write(fds[1], &done, 1);
      for (;;) ::pause();
    }
    ::close(fds[1]);
    ready = fds[0];
    char c = 0;
    EXPECT_EQ(::read(ready, &c, 1), 1);
    EXPECT_EQ(c, 'w');
    return child;
  };
  // The children end with the test, whatever happens to it.
  struct Children {
    std::vector<pid_t> pids;
    ~Children() {
      for (pid_t p : pids)
        if (::kill(p, SIGKILL) == 0) ::waitpid(p, nullptr, 0);
    }
  } children;
  int ready1 = -1, ready2 = -1;
  const pid_t running = startSave(ready2);
  children.pids.push_back(running);
  const std::vector<std::string> first = TemporaryFilesIn(dir);
  ASSERT_EQ(first.size(), 1u);
  const pid_t killed = startSave(ready1);
  children.pids.push_back(killed);
  std::vector<std::string> left;
  for (const std::string& n : TemporaryFilesIn(dir))
    if (n != first[0]) left.push_back(n);
  ASSERT_EQ(left.size(), 1u);  // a save that is running is not taken for abandoned
  ::kill(killed, SIGKILL);
  ::waitpid(killed, nullptr, 0);
  ASSERT_EQ(TemporaryFilesIn(dir).size(), 2u);

  // Look-alikes that must stay. The dead process's id with a held lock; with another owner; another
  // machine's tag; names of another form.
  const std::string host = left[0].substr(5, 8);
  const std::string deadPid = std::to_string(killed);
  const fs::path locked = dir / (".~sv." + host + "." + deadPid + ".Locked");
  const fs::path foreign = dir / (".~sv." + host + "." + deadPid + ".Others");
  const std::string otherHost = host == "00000000" ? "11111111" : "00000000";
  const fs::path elsewhere = dir / (".~sv." + otherHost + "." + deadPid + ".Remote");
  for (const fs::path& p : {locked, foreign, elsewhere, dir / ".~sv.notours", dir / ".~svABCDEF"})
    std::ofstream(p) << "x";
  ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534) == 0 || ::geteuid() != 0, true);
  const int lockFd = ::open(locked.c_str(), O_RDWR);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  ASSERT_EQ(::fcntl(lockFd, F_OFD_SETLK, &lock), 0);

  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), fresh), 0);
  EXPECT_EQ(Contents(target), fresh);
  EXPECT_FALSE(fs::exists(dir / left[0]));  // the killed save's file is gone
  EXPECT_TRUE(fs::exists(locked));
  EXPECT_TRUE(fs::exists(elsewhere));
  EXPECT_TRUE(fs::exists(dir / ".~sv.notours"));
  EXPECT_TRUE(fs::exists(dir / ".~svABCDEF"));
  if (::geteuid() == 0) {
    EXPECT_TRUE(fs::exists(foreign));
  }
  const std::vector<std::string> stillRunning = TemporaryFilesIn(dir);
  EXPECT_EQ(std::count_if(stillRunning.begin(), stillRunning.end(),
                          [&](const std::string& n) { return n.find("." + std::to_string(running) + ".") != std::string::npos; }),
            1);
  // Once the running save is killed too, the next save takes its file as well; the locked one stays
  // until its lock is let go.
  ::kill(running, SIGKILL);
  ::waitpid(running, nullptr, 0);
  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), old), 0);
  for (const std::string& n : TemporaryFilesIn(dir))
    EXPECT_EQ(n.find("." + std::to_string(running) + "."), std::string::npos) << n;
  EXPECT_TRUE(fs::exists(locked));
  ::close(lockFd);
  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), fresh), 0);
  EXPECT_FALSE(fs::exists(locked));
  ::close(ready1);
  ::close(ready2);
}

// A disk that is really full (a small memory file system, where this process may mount one): the save
// fails with ENOSPC and the old file stays whole, whether it goes through a temporary file or, in a
// folder that takes no new file, is written in place (its space is asked for before it is touched).
TEST(ReplaceFile, AFullDiskLeavesTheOldFileWhole) {
  const fs::path disk = FreshFolder("replace_disk") / "disk";
  fs::create_directory(disk);
  if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=256k,mode=0755") != 0)
    GTEST_SKIP() << "a small file system cannot be mounted here";
  struct Unmount {
    const fs::path& at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{disk};
  const fs::path target = disk / "a.bmp";
  const Bytes old(120 * 1024, 1), big(300 * 1024, 2);  // more than the disk holds, even in place
  ASSERT_EQ(PictureFiles::ReplaceFile(target.string(), old), 0);
  EXPECT_EQ(PictureFiles::ReplaceFile(target.string(), big), ENOSPC);
  EXPECT_EQ(Contents(target), old);
  EXPECT_EQ(EntriesIn(disk), 1u);
  ::chmod(target.c_str(), 0666);
  ::chmod(disk.c_str(), 0555);
  EXPECT_EQ(AsOrdinaryUser([&] { return PictureFiles::ReplaceFile(target.string(), big); }), ENOSPC);
  ::chmod(disk.c_str(), 0755);
  EXPECT_EQ(Contents(target), old);
  EXPECT_EQ(EntriesIn(disk), 1u);
}
