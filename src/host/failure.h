// The core's one way to report a failure: what kind it is, on which file, and why. The core
// returns it; the front end alone decides whether it becomes a message box, a line on
// stderr or an exit code.
#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace pinwright {

enum class FailureKind {
  // Settings or names that the checks refuse; Reason is one sentence for the user.
  EmptyProjectName,
  PrefixClash,
  BadProjectName,  // the project name field is not a Verilog identifier
  BadFileName,     // the .qpf base name is not a Verilog identifier
  BadPrefix,       // a header prefix is not empty or an identifier of at most 100 characters
  UnknownCard,     // a card ID that the GPIO choice list does not offer
  DuplicatePort,   // one port name in two groups
  BadPortName,     // a port name the chosen top-level language does not take
  BadText,         // a text field of the record holds no terminating NUL
  BadPinName,      // a pin name the port list cannot take (an unbalanced bracket, a bad index)
  BadArgument,     // a value typed for an option or operand that names nothing known
  // Files.
  Missing,       // the file to read does not exist
  CannotRead,    // the file could not be opened or read, or has the wrong size; see Reason
  CannotCreate,  // the file could not be created or put in place; Reason is the system's words
  ShortWrite,    // fewer bytes reached the file than were asked for
  ForeignFile,   // the target holds another kind of file than the one being saved
  Cancelled,     // the user cancelled a dialog; nothing to show
};

struct Failure {
  FailureKind Kind = FailureKind::CannotCreate;
  std::string File;    // the file concerned, as the caller named it; empty when none is
  std::string Reason;  // the message for the user; empty when the failure has none of its own
  std::string SystemMessage;  // the system's own words for an error it raised; often empty
};

// Shows a failure through the current host: the system's own words in the standard error
// box when there are any, then the reason in an error box when there is one.
void ReportFailure(const Failure& failure);

// A value, or the failure that stopped it from being made.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : State(std::move(value)) {}            // NOLINT: implicit on purpose
  Result(Failure failure) : State(std::move(failure)) {}  // NOLINT: implicit on purpose

  bool Ok() const { return State.index() == 0; }
  explicit operator bool() const { return Ok(); }
  // Only when Ok().
  const T& Value() const& {
    assert(Ok());
    return std::get<0>(State);
  }
  T& Value() & {
    assert(Ok());
    return std::get<0>(State);
  }
  T&& Value() && {
    assert(Ok());
    return std::get<0>(std::move(State));
  }
  const T* operator->() const { return &Value(); }
  T* operator->() { return &Value(); }
  const T& operator*() const& { return Value(); }
  T& operator*() & { return Value(); }
  // Only when !Ok().
  const Failure& Error() const {
    assert(!Ok());
    return std::get<1>(State);
  }

 private:
  std::variant<T, Failure> State;
};

// The result of an operation that makes nothing but may fail.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : Failed(true), Reported(std::move(failure)) {}  // NOLINT

  bool Ok() const { return !Failed; }
  explicit operator bool() const { return Ok(); }
  const Failure& Error() const {
    assert(Failed);
    return Reported;
  }

 private:
  bool Failed = false;
  Failure Reported;
};

using Status = Result<void>;

}  // namespace pinwright
