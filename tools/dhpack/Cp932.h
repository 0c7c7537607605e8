// Text on the build machine is UTF-8; the installer reads code page 932 (Shift-JIS).
#pragma once

#include <string>

// The CP932 form of UTF-8 `text`. False when `text` is not valid UTF-8 or holds a
// character that code page 932 cannot represent. With `exact`, also false when the
// conversion is one-way: "¥" becomes the byte 0x5C, which in a name is a separator.
bool Utf8ToCp932(const std::string& text, std::string* cp932, bool exact);

// Whether `text` is valid code page 932 (Shift-JIS) throughout.
bool IsCp932Text(const std::string& text);
