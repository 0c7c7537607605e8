// Reading a text of an executable's version resource (VS_VERSIONINFO): the setup's
// version as Windows shows it in the file's properties.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The value of the string `key` (such as "ProductVersion") of the first string table
// in the resource bytes, ASCII only (anything else becomes '?'). False when the
// resource is malformed or has no such string.
bool VersionString(const uint8_t* data, size_t size, const std::string& key, std::string* value);
