// Builds an LHA archive in memory, in the form the installer's reader takes: level-2
// headers carrying a header CRC, the member's CRC-16, the directory part (0xFF
// separators) and the file name in extended headers; files packed with -lh5-, or
// stored as -lh0- when that does not shrink them; folders as -lhd- entries; a closing
// zero byte.
//
// Names are code page 932 bytes with backslash separators; a folder's name ends in a
// backslash and its entry must come before anything inside it. Names the reader would
// refuse are refused here, with a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Lh5Encoder.h"

class cLhaWriter {
 public:
  // What the reader accepts: file names of up to 100 bytes, directory parts of up to
  // 255 bytes, both together shorter than 260.
  static constexpr size_t kMaxFileName = 100;
  static constexpr size_t kMaxDirectory = 255;
  static constexpr size_t kMaxName = 259;

  cLhaWriter() = default;
  explicit cLhaWriter(const cLh5Encoder::Effort& effort) : encoder(effort) {}

  // Time stamp written into every following header (seconds since 1970, UTC).
  void SetTimestamp(uint32_t seconds) { timestamp = seconds; }

  // Appends a folder entry; `name` ends in a backslash. False, with `*error` set, for a
  // name the reader would refuse, a duplicate, or a folder whose contents were already
  // written.
  bool AddFolder(const std::string& name, std::string* error);
  // Appends a file. False, with `*error` set, as for AddFolder.
  bool AddFile(const std::string& name, const uint8_t* data, size_t size, std::string* error);
  // Appends the closing zero byte and hands the archive over; the writer is empty
  // afterwards.
  std::vector<uint8_t> Finish();

  // Splits a name into its directory part (through its last separator) and its last
  // component, reading code page 932 characters whole, so that a second byte 0x5C is
  // no separator. False for a name that ends inside a double-byte character.
  static bool SplitName(const std::string& name, std::string* directory, std::string* file);

 private:
  bool CheckName(const std::string& name, bool folder, std::string* directory,
                 std::string* file, std::string* error);
  // Records that every folder enclosing `name` has contents.
  void MarkParentsUsed(const std::string& name);
  void AppendMember(const char* method, const std::string& directory, const std::string& file,
                    const uint8_t* packed, size_t packedSize, size_t unpackedSize,
                    uint16_t crc);

  cLh5Encoder encoder;
  std::vector<uint8_t> archive;
  std::set<std::string> names;
  // Folders that already hold a member: their own entry may no longer follow.
  std::set<std::string> usedFolders;
  uint32_t timestamp = 0;
};
