#include "Cp932.h"

#include <iconv.h>

#include <vector>

namespace {

bool Convert(const char* to, const char* from, const std::string& text, size_t room,
             std::string* result) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> out(room + 1);
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* outAt = out.data();
  size_t outLeft = out.size();
  const size_t converted = iconv(converter, &in, &inLeft, &outAt, &outLeft);
  iconv_close(converter);
  if (converted == static_cast<size_t>(-1) || inLeft != 0) return false;
  result->assign(out.data(), outAt);
  return true;
}

}  // namespace

bool Utf8ToCp932(const std::string& text, std::string* cp932, bool exact) {
  // A CP932 character is never longer than its UTF-8 form, and the way back at most
  // three times longer (half-width katakana).
  std::string converted;
  if (!Convert("CP932", "UTF-8", text, text.size(), &converted)) return false;
  if (exact) {
    std::string back;
    if (!Convert("UTF-8", "CP932", converted, converted.size() * 3, &back) || back != text)
      return false;
  }
  *cp932 = std::move(converted);
  return true;
}

bool IsCp932Text(const std::string& text) {
  std::string utf8;
  return Convert("UTF-8", "CP932", text, text.size() * 3, &utf8);
}
