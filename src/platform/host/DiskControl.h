// Test controls of the free disk space that GetDiskFreeSpaceExA and GetDiskFreeSpaceA
// report.
#pragma once

#include <string>

#include "platform/host/Types.h"

namespace hostwin {

// What a drive reports until a test says otherwise.
constexpr ULONGLONG kDefaultFreeBytes = 64ULL << 30;
// The drive as a whole always has this much more free space than the calling user may
// use (a quota), so a caller that reads the wrong figure shows up in tests.
constexpr ULONGLONG kQuotaReserve = 1ULL << 30;

// Gives the drive of `where` ("D", "D:", "D:\", or any path on the drive) `bytes` free
// bytes available to the caller; the drive then answers even if the sandbox has no
// folder for it. A path without a drive letter (a share such as \\server\share) is
// taken as its own volume, matched by its text without regard to case. ResetAll
// returns every drive to kDefaultFreeBytes.
void SetFreeSpace(const std::string& where, ULONGLONG bytes);

// A disk that fills up while files are written: from now on WriteFile, on any drive,
// stores only `bytes` more bytes in all; the write that meets the end stores what
// still fits, reports that count and fails with ERROR_DISK_FULL. ResetAll lifts it.
void SetWriteRoom(ULONGLONG bytes);
// The bytes of a write of `wanted` bytes that may be stored now (all of them unless a
// test set a write room), counted off the room.
DWORD TakeWriteRoom(DWORD wanted);

}  // namespace hostwin
