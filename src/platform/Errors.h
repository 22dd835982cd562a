#pragma once
// The program's failures. Each carries the exact text the user is shown; the
// top-level error display adds nothing but a final "." where needed.
#include <stdexcept>
#include <string>

namespace kvr {

class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// "'%s' is not a valid integer value"
class ConvertError : public Error {
  public:
    using Error::Error;
};

// "Cannot open file %s", "Cannot create file %s"
class FileError : public Error {
  public:
    using Error::Error;
};

// "Unable to write to %s"
class ProfileError : public Error {
  public:
    using Error::Error;
};

// "Invalid data type for '%s'"
class RegistryError : public Error {
  public:
    using Error::Error;
};

}  // namespace kvr
