// Conversion between UTF-8 and the GBK code page through iconv. Bad input never stops a conversion:
// it is replaced character by character, so a file with one broken byte still reads.
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "platform/rtl/sysutils.h"

namespace {
// Converts S from one code set to the other; on a character that cannot be converted or a malformed
// sequence, appends Replacement and skips the length that Skip reports.
template <typename TSkip>
std::string Convert(const char* To, const char* From, std::string_view S, const std::string& Replacement, TSkip Skip) {
  iconv_t cd = iconv_open(To, From);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw EConvertError(std::string("No conversion from ") + From + " to " + To);
  std::string out;
  out.reserve(S.size() * 2);
  char buffer[256];
  size_t pos = 0;
  while (pos < S.size()) {
    char* in = const_cast<char*>(S.data() + pos);
    size_t inLeft = S.size() - pos;
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    pos = S.size() - inLeft;
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      out += Replacement;  // EILSEQ, or EINVAL for a truncated last character
      pos += std::max<size_t>(1, Skip(S, pos));
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}
}  // namespace

std::string Utf8ToGbk(std::string_view S) {
  return Convert("GBK", "UTF-8", S, "?", [](std::string_view s, size_t i) { return static_cast<size_t>(Utf8CharLen(s, i)); });
}
std::string GbkToUtf8(std::string_view S) {
  return Convert("UTF-8", "GBK", S, "\xEF\xBF\xBD", [](std::string_view, size_t) { return size_t(1); });
}
