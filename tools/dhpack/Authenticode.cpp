#include "Authenticode.h"

#include <vector>

namespace {

// WIN_CERTIFICATE: 32-bit length, 16-bit revision, 16-bit type, then the data.
constexpr size_t kWinCertificateHeader = 8;
constexpr uint16_t kPkcsSignedData = 2;

constexpr uint8_t kInteger = 0x02;
constexpr uint8_t kOid = 0x06;
constexpr uint8_t kSequence = 0x30;
constexpr uint8_t kSet = 0x31;
constexpr uint8_t kContext0 = 0xA0;
// id-at-commonName and id-at-organizationName.
const std::string kCommonName("\x55\x04\x03", 3);
const std::string kOrganization("\x55\x04\x0A", 3);

// One DER element: its tag and the place of its contents within the whole signature.
struct Tlv {
  uint8_t tag = 0;
  size_t body = 0;
  size_t length = 0;
  size_t end() const { return body + length; }
};

class Der {
 public:
  Der(const uint8_t* data, size_t size) : data(data), size(size) {}

  // The element starting at `at`, within `limit`; false when it does not fit.
  bool Read(size_t at, size_t limit, Tlv* tlv) const {
    if (limit > size || at + 2 > limit) return false;
    tlv->tag = data[at];
    size_t length = data[at + 1];
    size_t body = at + 2;
    if (length & 0x80) {
      const size_t bytes = length & 0x7F;
      if (bytes == 0 || bytes > 4 || body + bytes > limit) return false;
      length = 0;
      for (size_t i = 0; i < bytes; ++i) length = length << 8 | data[body + i];
      body += bytes;
    }
    if (length > limit - body) return false;
    tlv->body = body;
    tlv->length = length;
    return true;
  }

  // The elements inside a constructed one; empty when any of them is malformed.
  std::vector<Tlv> Children(const Tlv& parent) const {
    std::vector<Tlv> children;
    for (size_t at = parent.body; at < parent.end();) {
      Tlv child;
      if (!Read(at, parent.end(), &child)) return {};
      children.push_back(child);
      at = child.end();
    }
    return children;
  }

  std::string Bytes(const Tlv& tlv) const {
    return std::string(reinterpret_cast<const char*>(data + tlv.body), tlv.length);
  }

 private:
  const uint8_t* data;
  size_t size;
};

// "CN=..., O=..." of a Name (a sequence of sets of attribute type and value).
std::string NameText(const Der& der, const Tlv& name) {
  std::string common, organization;
  for (const Tlv& set : der.Children(name)) {
    for (const Tlv& attribute : der.Children(set)) {
      const std::vector<Tlv> parts = der.Children(attribute);
      if (parts.size() != 2 || parts[0].tag != kOid) continue;
      const std::string type = der.Bytes(parts[0]);
      if (type == kCommonName) common = der.Bytes(parts[1]);
      if (type == kOrganization) organization = der.Bytes(parts[1]);
    }
  }
  std::string text = "CN=" + (common.empty() ? std::string("(none)") : common);
  if (!organization.empty()) text += ", O=" + organization;
  return text;
}

}  // namespace

bool AuthenticodeSigner(const uint8_t* table, size_t size, std::string* signer,
                        std::string* error) {
  auto fail = [&](const char* why) {
    *error = why;
    return false;
  };
  if (size < kWinCertificateHeader) return fail("the certificate table is shorter than its header");
  const size_t length =
      table[0] | table[1] << 8 | table[2] << 16 | static_cast<size_t>(table[3]) << 24;
  const uint16_t type = static_cast<uint16_t>(table[6] | table[7] << 8);
  if (type != kPkcsSignedData) return fail("the certificate table holds no PKCS#7 signature");
  if (length < kWinCertificateHeader || length > size)
    return fail("the certificate entry overruns the table");
  const Der der(table, length);

  // ContentInfo { signedData OID, [0] SignedData { version, digests, content,
  // [0] certificates, [1] crls?, signerInfos } }.
  Tlv content;
  if (!der.Read(kWinCertificateHeader, length, &content) || content.tag != kSequence)
    return fail("the signature is not DER-encoded PKCS#7");
  const std::vector<Tlv> info = der.Children(content);
  if (info.size() != 2 || info[1].tag != kContext0) return fail("the signature has no signed data");
  const std::vector<Tlv> wrapped = der.Children(info[1]);
  if (wrapped.size() != 1 || wrapped[0].tag != kSequence)
    return fail("the signature has no signed data");
  const std::vector<Tlv> signedData = der.Children(wrapped[0]);
  const Tlv* certificates = nullptr;
  const Tlv* signerInfos = nullptr;
  for (const Tlv& part : signedData) {
    if (part.tag == kContext0) certificates = &part;
    if (part.tag == kSet) signerInfos = &part;  // the last set: the digests come first
  }
  if (!certificates || !signerInfos)
    return fail("the signature carries no certificates or no signer");
  const std::vector<Tlv> signers = der.Children(*signerInfos);
  if (signers.empty()) return fail("the signature names no signer");
  const std::vector<Tlv> first = der.Children(signers[0]);
  if (first.size() < 2 || first[1].tag != kSequence)
    return fail("the signer is not named by issuer and serial number");
  const std::vector<Tlv> issuerAndSerial = der.Children(first[1]);
  if (issuerAndSerial.size() != 2 || issuerAndSerial[1].tag != kInteger)
    return fail("the signer is not named by issuer and serial number");
  const std::string issuer = der.Bytes(issuerAndSerial[0]);
  const std::string serial = der.Bytes(issuerAndSerial[1]);

  // Certificate { TBSCertificate { [0] version?, serial, algorithm, issuer, validity,
  // subject, ... }, ... }.
  for (const Tlv& certificate : der.Children(*certificates)) {
    const std::vector<Tlv> parts = der.Children(certificate);
    if (parts.empty()) continue;
    std::vector<Tlv> tbs = der.Children(parts[0]);
    if (!tbs.empty() && tbs[0].tag == kContext0) tbs.erase(tbs.begin());
    if (tbs.size() < 5 || tbs[0].tag != kInteger) continue;
    if (der.Bytes(tbs[0]) != serial || der.Bytes(tbs[2]) != issuer) continue;
    *signer = NameText(der, tbs[4]) + " (issued by " + NameText(der, tbs[2]) + ")";
    return true;
  }
  return fail("the signer's certificate is not among those the signature carries");
}
