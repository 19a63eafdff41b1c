#pragma once

#include <cstdint>
#include <string>

namespace torvane {

namespace aboutText {
inline const std::string kAddress1 = "Quorrin Limited, 14 Harbour Lane";
inline const std::string kAddress2 = "Port Ellery, PE2 7QT";
inline const std::string kWebAddress = "https://quorrin.example/torvane";
inline const std::string kWarning =
    "Warning: this computer program is protected by copyright law. Unauthorised reproduction or "
    "distribution of this program, or any portion of it, may result in severe civil and criminal penalties.";
}  // namespace aboutText

// The log page's hint under the log: the limit and the log's current size in whole KiB.
std::string logHintText(std::uintmax_t logBytes);

}  // namespace torvane
