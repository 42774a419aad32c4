#pragma once
// The error kinds that leave the codec. Their messages are the ones users see in
// the error box and on the command line, so they are fixed texts.

#include <stdexcept>
#include <string>

namespace quillon {

class QuillonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file cannot be opened for reading.
class EFOpenError : public QuillonError {
public:
    EFOpenError(const std::string& path, int errnum);
    EFOpenError(const std::string& path, const std::string& reason);
};

// A file cannot be created or replaced.
class EFCreateError : public QuillonError {
public:
    EFCreateError(const std::string& path, int errnum);
};

// A target rewritten in place (its folder allows no temporary file) could not be
// written whole, so it may now be incomplete.
class EInPlaceWriteError : public QuillonError {
public:
    EInPlaceWriteError(const std::string& path, int errnum);
};

// Fewer bytes than asked for.
class EReadError : public QuillonError {
public:
    EReadError() : QuillonError("Stream read error") {}
};

// Fewer bytes taken than given.
class EWriteError : public QuillonError {
public:
    EWriteError() : QuillonError("Stream write error") {}
};

// zlib (or liblzma) reported an error.
class ECompressionError : public QuillonError {
public:
    using QuillonError::QuillonError;
};

// A source file holds no bytes at all, so a transform wrote nothing.
class EEmptyFileError : public QuillonError {
public:
    explicit EEmptyFileError(const std::string& path)
        : QuillonError("File \"" + path + "\" is empty") {}
};

// The operating system's text for an error number.
std::string SystemErrorText(int errnum);

} // namespace quillon
