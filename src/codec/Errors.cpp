#include "Errors.h"

#include <cstring>

namespace quillon {

std::string SystemErrorText(int errnum) {
    char buffer[256];
    // The GNU form returns a pointer that may or may not be the buffer.
    return ::strerror_r(errnum, buffer, sizeof buffer);
}

EFOpenError::EFOpenError(const std::string& path, int errnum)
    : QuillonError("Cannot open file \"" + path + "\". " + SystemErrorText(errnum)) {}

EFOpenError::EFOpenError(const std::string& path, const std::string& reason)
    : QuillonError("Cannot open file \"" + path + "\". " + reason) {}

EInPlaceWriteError::EInPlaceWriteError(const std::string& path, int errnum)
    : QuillonError("Cannot write file \"" + path + "\" in place (its folder is read-only, so no " +
                   "temporary copy could be made); the file may now be incomplete. " +
                   SystemErrorText(errnum)) {}

EFCreateError::EFCreateError(const std::string& path, int errnum)
    : QuillonError("Cannot create file \"" + path + "\". " + SystemErrorText(errnum)) {}

} // namespace quillon
