#pragma once
// Results of platform calls: the Win32 error code of the failing call, 0 on success.
// The behaviour skips a failing step and goes on, so callers test the status and move on.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <utility>

namespace kestrian::platform {

using Status = long;

inline constexpr Status kOk = 0;
inline constexpr Status kFileNotFound = 2;        // ERROR_FILE_NOT_FOUND
inline constexpr Status kPathNotFound = 3;        // ERROR_PATH_NOT_FOUND
inline constexpr Status kAccessDenied = 5;        // ERROR_ACCESS_DENIED
inline constexpr Status kInvalidHandle = 6;       // ERROR_INVALID_HANDLE
inline constexpr Status kSharingViolation = 32;   // ERROR_SHARING_VIOLATION
inline constexpr Status kFileAlreadyExists = 80;  // ERROR_FILE_EXISTS
inline constexpr Status kFileTooLarge = 223;      // ERROR_FILE_TOO_LARGE
inline constexpr Status kAlreadyExists = 183;     // ERROR_ALREADY_EXISTS
inline constexpr Status kMoreData = 234;          // ERROR_MORE_DATA

// A value or the status of the call that failed to produce it.
template <class T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit on purpose
  static Result Failure(Status status) { return Result(status, Tag{}); }

  bool ok() const { return value_.has_value(); }
  Status status() const { return status_; }
  // Asking a failed result for its value is a programming error.
  const T& value() const& {
    if (!value_) std::abort();
    return *value_;
  }
  T& value() & {
    if (!value_) std::abort();
    return *value_;
  }
  T value_or(T fallback) const { return value_ ? *value_ : std::move(fallback); }

 private:
  struct Tag {};
  Result(Status status, Tag) : status_(status == kOk ? kInvalidHandle : status) {}
  std::optional<T> value_;
  Status status_ = kOk;
};

}  // namespace kestrian::platform
