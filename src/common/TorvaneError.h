#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace torvane {

// The one error the programs raise: the desktop's base for application-defined object errors
// (0x80040000) plus 9999, as a signed 32-bit value, with the operation that raised it.
inline constexpr std::int32_t kErrorNumber = static_cast<std::int32_t>(0x80040000u + 9999u);

class TorvaneError : public std::runtime_error {
public:
    TorvaneError(std::string source, const std::string& description,
                 std::int32_t number = kErrorNumber);

    std::int32_t number() const { return number_; }
    const std::string& source() const { return source_; }
    std::string description() const { return what(); }

private:
    std::int32_t number_;
    std::string source_;
};

// Runs `body`; any failure comes out as a TorvaneError of `source` ("clsLog:Log_WriteBackup
// Method"), keeping the caught description.
template <typename Body>
auto wrapErrors(const std::string& source, Body&& body) -> decltype(body()) {
    try {
        return body();
    } catch (const TorvaneError& e) {
        throw TorvaneError(source, e.description(), e.number());
    } catch (const std::exception& e) {
        throw TorvaneError(source, e.what());
    }
}

}  // namespace torvane
