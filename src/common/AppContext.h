#pragma once

#include <string>

#include "common/PromptService.h"
#include "platform/Clock.h"
#include "platform/Host.h"

namespace torvane {

// The global strings each program sets at start-up.
struct Globals {
    std::string sLogFile;  // drive path of the transaction log
    std::string sMessage;
    std::string sNewLine = "\r\n";
    std::string sBuffer;
    std::string sUtilityFolder;  // the scheduler's: where Torvane lives
};

// What the classes of a program share, passed in rather than reached through singletons so
// that tests can put in their own host, prompts and clock.
struct AppContext {
    platform::Host& host;
    PromptService& prompts;
    const platform::Clock& clock;
    Globals& globals;
    std::string commandLine;
};

}  // namespace torvane
