// Reading a resource back out of a built Windows executable (PE32 or PE32+), so that
// the tool inspects what an installer carries: `dhpack list DHViewSetup.exe:130`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Values of the headers' fields.
inline constexpr uint16_t kMachineI386 = 0x14C;
inline constexpr uint16_t kPe32Magic = 0x10B;
inline constexpr uint16_t kPe32PlusMagic = 0x20B;
inline constexpr uint16_t kSubsystemWindowsGui = 2;

struct PeSection {
  uint32_t address, virtualSize, rawSize, rawOffset;
};

// What the file's headers say about it.
struct PeHeaders {
  uint16_t machine = 0;    // kMachineI386, 0x8664 x86-64
  uint16_t magic = 0;      // kPe32Magic or kPe32PlusMagic
  uint16_t subsystem = 0;  // kSubsystemWindowsGui, 3 console
  uint32_t resourceRva = 0, resourceSize = 0;
  // The Authenticode signature: a file offset and length, not an address.
  uint32_t certificateOffset = 0, certificateSize = 0;
  std::vector<PeSection> sections;
};

// False, with `*error` set, when `data` is no PE image or its headers are cut short.
bool ReadPeHeaders(const uint8_t* data, size_t size, PeHeaders* headers, std::string* error);

// Splits "FILE:ID" (ID decimal, 1..65535) into its parts. False for any other form.
bool ParseResourcePath(const std::string& text, std::string* file, uint16_t* id);

// Finds the resource of the named type `type` (compared without case, as Windows
// does; "#16" names the numbered type 16) and integer id `id`, first language, in the
// executable image `data` as stored on disk. On success `*offset`/`*length` locate its bytes within `data`. False, with
// `*error` set, when the file is no PE image, is malformed, or lacks the resource.
bool FindPeResource(const uint8_t* data, size_t size, const std::string& type, uint16_t id,
                    size_t* offset, size_t* length, std::string* error);
