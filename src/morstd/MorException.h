// The library's exceptions. They are thrown by value; callers catch them only through a
// catch-all handler, so the texts exist for debugging rather than for display.
// cMorException is the root (global namespace); the three message-only kinds live here
// beside it, and cMorBinaryException, which carries a code, has its own header.
#pragma once

class cMorException {
 public:
  virtual const char* GetErrorText() const = 0;
  virtual ~cMorException() = default;
};

namespace morstd {

// A string buffer could not be had, or a request exceeded the 100 MiB limit.
class cMorStrBadMemException : public cMorException {
 public:
  const char* GetErrorText() const override { return "Bad Memory"; }
};

// A character index outside the string's buffer.
class cMorStrOutOfRangeException : public cMorException {
 public:
  const char* GetErrorText() const override { return "OutOfRange"; }
};

// A text list could not get the memory for its text area or index.
class cMorMemBlockException : public cMorException {
 public:
  const char* GetErrorText() const override { return "cMemBlockException Err"; }
};

}  // namespace morstd
