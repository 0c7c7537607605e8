// The archive reader: finds the first header in a byte buffer (which may be preceded
// by other bytes, such as a self-extractor stub), parses every header into a member
// list, and selects members for the decoder. The reader trusts nothing it reads: any
// field that points outside the buffer or overflows a name makes the header malformed.
#pragma once

#include <cstdint>

#include "payload/LhaMember.h"
#include "payload/MorLhaDec.h"

// Results of OpenArchive.
constexpr int kLhaOpenFound = 0;
constexpr int kLhaOpenNoData = 1;
constexpr int kLhaOpenNoHeader = 2;
// Results of ReadHeaders (and kLhaHeaderEnd of one header, never returned).
constexpr int kLhaHeadersRead = 0;
constexpr int kLhaHeaderMalformed = 2;
constexpr int kLhaHeaderEnd = 3;
constexpr int kLhaHeadersNoMemory = 4;
// Results of SelectMember.
constexpr int kLhaSelected = 0;
constexpr int kLhaNoSuchMember = -1;
constexpr int kLhaNoTables = -2;

// Clears the list and points the decoder's input cursor at the bytes, positioned at
// the first header. The bytes must outlive every use of the list and the decoder.
int OpenArchive(LhaMemberList* list, uint32_t archiveSize, const void* archive,
                cMorLhaDec* decoder);
// Parses the one header at the decoder's cursor into `member` (prev and next are left
// alone): kLhaHeadersRead with the cursor at the next header, kLhaHeaderEnd at the end
// marker, or kLhaHeaderMalformed.
int ReadHeader(cMorLhaDec* decoder, LhaMember* member);
// Appends one member per header, from the cursor on, until the end marker. On a
// failure the members read so far stay in the list (FreeHeaders releases them).
int ReadHeaders(LhaMemberList* list, cMorLhaDec* decoder);
// Makes the member at the 1-based index current and starts the decoder on it.
int SelectMember(LhaMemberList* list, int index, cMorLhaDec* decoder);
// The next decoded bytes of the selected member; fewer than `count` only at the end
// of the member, or when its data is damaged or cannot be decoded.
uint32_t ReadMember(cMorLhaDec* decoder, void* out, uint32_t count);
// Releases every member, last first, and empties the list.
void FreeHeaders(LhaMemberList* list);
