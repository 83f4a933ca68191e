#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

/// How failures travel in both programs:
///   - `std::optional<T>`: a value or nothing, where the caller needs no reason (a missing or
///     malformed file reads as absent).
///   - `common::Result<void>`: done, or a failure with its reason.
///   - `common::Result<T>`: a value, or a failure with its reason.
/// A reason is text for a log line or a message, never parsed. Exceptions do not cross a module.
namespace common {

/// Why something failed, in words.
struct Failure {
  std::string reason;
};

inline const std::string& noReason() {
  static const std::string kEmpty;
  return kEmpty;
}

/// A value, or the failure that kept it from being made. Build one from a `T` or a `Failure`.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  /// The value; only when `ok()`.
  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  /// Why it failed; empty when `ok()`.
  const std::string& reason() const { return ok() ? noReason() : std::get<1>(state_).reason; }

 private:
  std::variant<T, Failure> state_;
};

/// Done, or a failure with its reason. A default-constructed one is done.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : failure_(std::move(failure)) {}

  bool ok() const { return !failure_.has_value(); }
  explicit operator bool() const { return ok(); }

  /// Why it failed; empty when `ok()`.
  const std::string& reason() const { return ok() ? noReason() : failure_->reason; }

 private:
  std::optional<Failure> failure_;
};

/// The successful `Result<void>`, for a `return` that reads as what it means.
inline Result<void> done() { return {}; }

}  // namespace common
