#pragma once
// The errors that end a script run for good; script exceptions are ScriptException.

#include "codec/Errors.h"

#include <string>

namespace quillon::avm2 {

// A damaged ABC file: the message says what was wrong and where.
class AbcError : public QuillonError {
public:
    using QuillonError::QuillonError;
};

// A limit was reached (steps, recursion, memory) or the host stopped the run.
class AbcLimitError : public QuillonError {
public:
    using QuillonError::QuillonError;
};

} // namespace quillon::avm2
