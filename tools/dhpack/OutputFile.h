// Writing the tool's results: a file appears whole or not at all, so that a failed or
// interrupted run never leaves a truncated archive or image for the build to embed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes `bytes` to a temporary file beside `path` and renames it over `path`. False,
// with `*error` set and nothing left behind, when any step fails.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string* error);

// The whole content of a regular file. False, with `*error` set, when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error);
