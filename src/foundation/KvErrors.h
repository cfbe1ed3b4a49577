#pragma once
// The program's one exception hierarchy. Every error the program raises on
// its own carries its English message; the windows show what() as it is.

#include <stdexcept>
#include <string>

namespace kv {

class EKvError : public std::runtime_error {
public:
    explicit EKvError(const std::string& Message) : std::runtime_error(Message) {}
};

// A text that does not convert to a number, or an assignment between
// incompatible objects.
class EConvertError : public EKvError {
public:
    using EKvError::EKvError;
};

// An index at or beyond the valid elements of a vector or list.
class ERangeError : public EKvError {
public:
    using EKvError::EKvError;
};

// Numerical failures of the calculations ("Not enough data!" and friends).
class EMathError : public EKvError {
public:
    using EKvError::EKvError;
};

// Floating-point faults turned into exceptions where a result must not be
// a silent NaN or infinity.
class EZeroDivide : public EMathError {
public:
    using EMathError::EMathError;
};
class EInvalidOp : public EMathError {
public:
    using EMathError::EMathError;
};
class EOverflow : public EMathError {
public:
    using EMathError::EMathError;
};

// A formula read a missing value (an empty cell, KvMissing.h): no fault,
// the row's result is missing too. The table catches it per row.
class EMissingValue : public EKvError {
public:
    EMissingValue() : EKvError("A value is missing") {}
};

// Formula compile errors; the expression layer derives the specific kinds.
class EMathParserError : public EKvError {
public:
    using EKvError::EKvError;
};

// A file that cannot be created, written or read where the caller must know.
class EFileError : public EKvError {
public:
    using EKvError::EKvError;
};

} // namespace kv
