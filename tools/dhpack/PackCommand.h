// The packing command of dhpack: files into a new archive. Returns the process exit
// status: 0 success, 1 a failure already described on standard error.
#pragma once

#include <string>
#include <vector>

// Packs each file under its path as given (slashes become backslashes), with a folder
// entry ahead of the first file of each folder. The archive is written to a
// temporary file beside `archive` and renamed only when complete.
int PackFiles(const std::string& archive, const std::vector<std::string>& files);
