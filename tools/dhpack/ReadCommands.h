// The reading commands of dhpack. Each returns the process exit status: 0 success,
// 1 a failure already described on standard error.
#pragma once

#include <string>

struct ReadOptions {
  bool dat = false;  // the file is an enciphered resource image
};

int ListArchive(const std::string& file, const ReadOptions& options);
int CatMember(const std::string& file, const std::string& index, const ReadOptions& options);
int TestArchive(const std::string& file, const ReadOptions& options);
int ExtractArchive(const std::string& file, const std::string& folder, const ReadOptions& options);
