// TStream, memory, handle, file and string streams.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/classes/classes.h"

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t end = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return end;
}

void TStream::SetSize(int64_t) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count < 0 || (Count != 0 && Read(Buffer, Count) != Count)) throw EReadError("Stream read error");
}
void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count < 0 || (Count != 0 && Write(Buffer, Count) != Count)) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  int64_t result = Count;
  char buf[65536];
  while (Count > 0) {
    int64_t n = std::min<int64_t>(Count, sizeof buf);
    Source->ReadBuffer(buf, n);
    WriteBuffer(buf, n);
    Count -= n;
  }
  return result;
}

// ---------------------------------------------------------------------------------------------------

int64_t TCustomMemoryStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0 || FPosition < 0) return 0;
  int64_t avail = static_cast<int64_t>(FData.size()) - FPosition;
  if (avail <= 0) return 0;
  int64_t n = std::min(avail, Count);
  std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning: FPosition = Offset; break;
    case soCurrent: FPosition += Offset; break;
    case soEnd: FPosition = static_cast<int64_t>(FData.size()) + Offset; break;
  }
  if (FPosition < 0) FPosition = 0;
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  if (!FData.empty()) Stream->WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}
void TCustomMemoryStream::SaveToFile(const std::string& FileName) {
  TFileStream fs(FileName, fmCreate);
  SaveToStream(&fs);
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0 || FPosition < 0) return 0;
  int64_t end = FPosition + Count;
  if (end > static_cast<int64_t>(FData.size())) {
    try {
      FData.resize(static_cast<size_t>(end));
    } catch (const std::bad_alloc&) {
      throw EOutOfMemory("Out of memory while expanding memory stream");
    }
  }
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = end;
  return Count;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) NewSize = 0;
  try {
    FData.resize(static_cast<size_t>(NewSize));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Out of memory while expanding memory stream");
  }
  if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  int64_t n = Stream->Size();
  SetSize(n);
  if (n) Stream->ReadBuffer(FData.data(), n);
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&fs);
}

// ---------------------------------------------------------------------------------------------------

int64_t THandleStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  int64_t total = 0;
  char* p = static_cast<char*>(Buffer);
  while (total < Count) {
    ssize_t n = ::read(FHandle, p + total, static_cast<size_t>(std::min<int64_t>(Count - total, 1 << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += n;
  }
  return total;
}

int64_t THandleStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  int64_t total = 0;
  const char* p = static_cast<const char*>(Buffer);
  while (total < Count) {
    ssize_t n = ::write(FHandle, p + total, static_cast<size_t>(std::min<int64_t>(Count - total, 1 << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += n;
  }
  return total;
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int whence = Origin == soBeginning ? SEEK_SET : (Origin == soCurrent ? SEEK_CUR : SEEK_END);
  off_t r = ::lseek(FHandle, static_cast<off_t>(Offset), whence);
  return r < 0 ? -1 : static_cast<int64_t>(r);
}

void THandleStream::SetSize(int64_t NewSize) {
  int64_t pos = Position();
  if (::ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0) throw EStreamError("Stream size cannot be changed");
  if (pos > NewSize) Seek(NewSize, soBeginning);
}

namespace {
int OpenFile(const std::string& Name, uint32_t Mode) {
  std::string n = NormalizePathDelimiters(Name);
  if ((Mode & 0xFF00) == fmCreate)
    return ::open(n.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  int flags = O_CLOEXEC;
  switch (Mode & 3) {
    case fmOpenWrite: flags |= O_WRONLY; break;
    case fmOpenReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
  }
  return ::open(n.c_str(), flags);
}
}  // namespace

TFileStream::TFileStream(const std::string& AFileName, uint32_t Mode) : THandleStream(-1), FFileName(AFileName) {
  const bool create = (Mode & 0xFF00) == fmCreate;
  FHandle = OpenFile(AFileName, Mode);
  std::string reason;
  if (FHandle >= 0) {
    struct stat st;
    if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(FHandle);
      FHandle = -1;
      reason = std::strerror(EISDIR);
    }
  } else {
    reason = std::strerror(errno);
  }
  if (FHandle < 0) {
    if (create) throw EFCreateError(Format("Cannot create file \"%s\". %s", AFileName, reason));
    throw EFOpenError(Format("Cannot open file \"%s\". %s", AFileName, reason));
  }
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

// ---------------------------------------------------------------------------------------------------

int64_t TStringStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  int64_t avail = static_cast<int64_t>(FDataString.size()) - FPosition;
  if (avail <= 0) return 0;
  int64_t n = std::min(avail, Count);
  std::memcpy(Buffer, FDataString.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TStringStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  int64_t end = FPosition + Count;
  if (end > static_cast<int64_t>(FDataString.size())) FDataString.resize(static_cast<size_t>(end));
  std::memcpy(FDataString.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = end;
  return Count;
}

int64_t TStringStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning: FPosition = Offset; break;
    case soCurrent: FPosition += Offset; break;
    case soEnd: FPosition = static_cast<int64_t>(FDataString.size()) + Offset; break;
  }
  FPosition = std::clamp<int64_t>(FPosition, 0, static_cast<int64_t>(FDataString.size()));
  return FPosition;
}

void TStringStream::SetSize(int64_t NewSize) {
  FDataString.resize(static_cast<size_t>(std::max<int64_t>(NewSize, 0)));
  if (FPosition > static_cast<int64_t>(FDataString.size())) FPosition = static_cast<int64_t>(FDataString.size());
}

std::string TStringStream::ReadString(int64_t Count) {
  int64_t n = std::min<int64_t>(Count, static_cast<int64_t>(FDataString.size()) - FPosition);
  if (n <= 0) return {};
  std::string r = FDataString.substr(static_cast<size_t>(FPosition), static_cast<size_t>(n));
  FPosition += n;
  return r;
}
