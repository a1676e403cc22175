#pragma once

#include <cstdint>

namespace tvac::platform {

// Results of system calls are kept as the Windows system error codes, so that the
// operations above the platform layer report exactly what Windows would report.
using ErrorCode = std::uint32_t;

inline constexpr ErrorCode kOk = 0;
inline constexpr ErrorCode kFileNotFound = 2;  // ERROR_FILE_NOT_FOUND: no such key, value or file
inline constexpr ErrorCode kPathNotFound = 3;  // ERROR_PATH_NOT_FOUND
inline constexpr ErrorCode kAccessDenied = 5;  // ERROR_ACCESS_DENIED
inline constexpr ErrorCode kSharingViolation = 32;  // ERROR_SHARING_VIOLATION: a file in use
inline constexpr ErrorCode kInvalidParameter = 87;
inline constexpr ErrorCode kDirNotEmpty = 145;  // ERROR_DIR_NOT_EMPTY
inline constexpr ErrorCode kMoreData = 234;     // ERROR_MORE_DATA: the buffer is too small
inline constexpr ErrorCode kNoMoreItems = 259;  // ERROR_NO_MORE_ITEMS: enumeration ended
inline constexpr ErrorCode kKeyDeleted = 1018;  // ERROR_KEY_DELETED: the open key was removed

}  // namespace tvac::platform
