// Base of the payload-operation tests: archives registered as the program's two
// enciphered "DAT" resources on a clean host layer, and no pause between members.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "payload/GetLhaFile.h"
#include "support/HostFixture.h"
#include "unit/payload_host/StoredArchive.h"

namespace dhtest {

class PayloadFixture : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    cGetLhaFile::extractPauseMs = 0;
  }
  void TearDown() override {
    cGetLhaFile::extractPauseMs = cGetLhaFile::kExtractPauseMs;
    HostFixture::TearDown();
  }

  // Registers `bytes` enciphered as "DAT" `id`.
  static void RegisterDat(int id, const std::string& bytes);
  static void RegisterArchive(int id, const std::vector<StoredMember>& members) {
    RegisterDat(id, StoredArchive(members));
  }
};

// Records what an operation reports as its progress.
class RecordingSink : public cProgressSink {
 public:
  void SetProgress(int position, const char* text) override { calls.emplace_back(position, text); }
  std::vector<std::pair<int, std::string>> calls;
};

}  // namespace dhtest
