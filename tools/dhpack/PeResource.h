// Reading a resource back out of a built Windows executable (PE32 or PE32+), so that
// the tool inspects what an installer carries: `dhpack list DHViewSetup.exe:130`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Splits "FILE:ID" (ID decimal, 1..65535) into its parts. False for any other form.
bool ParseResourcePath(const std::string& text, std::string* file, uint16_t* id);

// Finds the resource of the named type `type` (compared without case, as Windows
// does) and integer id `id`, first language, in the executable image `data` as stored
// on disk. On success `*offset`/`*length` locate its bytes within `data`. False, with
// `*error` set, when the file is no PE image, is malformed, or lacks the resource.
bool FindPeResource(const uint8_t* data, size_t size, const std::string& type, uint16_t id,
                    size_t* offset, size_t* length, std::string* error);
