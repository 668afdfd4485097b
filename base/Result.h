#pragma once
// A value, or the reason there is none. For failures whose reason must reach someone (a
// message box, a log line, the help band); where only success matters a bool or an optional
// says enough. The reason is a text for people, in English unless the caller says otherwise.

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace likenex {

// The failure side, so that `return Failure{"why"};` reads as what it is.
struct Failure {
    std::string reason;
};

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    [[nodiscard]] bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only when ok().
    [[nodiscard]] T& value() & { return std::get<0>(state_); }
    [[nodiscard]] const T& value() const& { return std::get<0>(state_); }
    [[nodiscard]] T&& value() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    // Only when !ok().
    [[nodiscard]] const std::string& error() const { return std::get<1>(state_).reason; }

private:
    std::variant<T, Failure> state_;
};

// A step that gives nothing back but may fail with a reason.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)) {}

    [[nodiscard]] bool ok() const { return !failure_; }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const std::string& error() const { return failure_->reason; }

private:
    std::optional<Failure> failure_;
};

}  // namespace likenex
