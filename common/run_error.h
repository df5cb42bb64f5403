// The program's run-time errors: a number the user can quote, and the place
// that raised it. The dialog text for a number comes from the string table.
#pragma once

#include <stdexcept>
#include <string>

namespace rivano {

namespace err {
inline constexpr int overflow = 6;
inline constexpr int outOfMemory = 7;
inline constexpr int divisionByZero = 11;
inline constexpr int typeMismatch = 13;
inline constexpr int fileNotFound = 53;
inline constexpr int fileAlreadyOpen = 55;
inline constexpr int diskFull = 61;
inline constexpr int permissionDenied = 70;
inline constexpr int pathFileAccess = 75;
inline constexpr int pathNotFound = 76;
inline constexpr int invalidPicture = 481;
}  // namespace err

// Thrown inside a procedure and caught by that procedure's handler (or its
// caller's), never across a window procedure or a DLL boundary.
class RunError : public std::runtime_error {
 public:
  explicit RunError(int number, std::string detail = {})
      : std::runtime_error(detail.empty() ? "run-time error " + std::to_string(number) : detail),
        number_(number) {}
  int number() const noexcept { return number_; }

 private:
  int number_;
};

}  // namespace rivano
