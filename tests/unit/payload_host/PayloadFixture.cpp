#include "unit/payload_host/PayloadFixture.h"

#include "morstd/MorBinary.h"
#include "payload/EncipherResource.h"

namespace dhtest {

void PayloadFixture::RegisterDat(int id, const std::string& bytes) {
  static const BYTE kSalt[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  morstd::cMorBinary image;
  ASSERT_EQ(1, EncipherResource(reinterpret_cast<const BYTE*>(bytes.data()),
                                static_cast<DWORD>(bytes.size()), kSalt, &image));
  hostwin::RegisterResource("DAT", id, std::vector<BYTE>(image.data, image.data + image.size));
}

}  // namespace dhtest
