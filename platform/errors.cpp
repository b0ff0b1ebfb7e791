// The classic descriptions of the error numbers.
#include "platform/errors.h"

namespace kivo {

std::string errorDescription(int number) {
  switch (number) {
    case kErrInvalidCall: return "Invalid procedure call or argument";
    case kErrOverflow: return "Overflow";
    case kErrOutOfMemory: return "Out of memory";
    case kErrSubscript: return "Subscript out of range";
    case kErrDivisionByZero: return "Division by zero";
    case kErrTypeMismatch: return "Type mismatch";
    case kErrInvalidProperty: return "Invalid property value";
    case kErrInvalidArrayIndex: return "Invalid property array index";
    default: return "Application-defined or object-defined error";
  }
}

}  // namespace kivo
