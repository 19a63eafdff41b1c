#pragma once

#include <string>

#include "common/AppContext.h"
#include "common/clsLog.h"
#include "platform/PrintableText.h"

namespace torvane {

// A "Backup" record of the restore. Member and folder names may hold any byte, so the record
// is shown printable and can never start a record of its own.
inline void restoreLog(AppContext& context, const std::string& text, bool bDateRequired = true) {
    clsLog(context, LogFlavour::utility())
        .WriteToLog("Backup", bDateRequired, platform::printable(text));
}

}  // namespace torvane
