// The simulator's install path, typed by the user: an existing path restarts the program.
#include "app/commands.h"

#include "app/finalexit.h"
#include "app/mainwindow.h"
#include "app/status.h"
#include "foundation/settingdisplay.h"
#include "foundation/winstring.h"

#include <fmt/format.h>

#include <filesystem>

void gf_setInstallPath(GuiStringParameter& setting, const std::string& text)
{
    gf_clearError();
    gf_clearStatus();
    if (text.empty()) {
        if (!setting.getValue().empty())
            setting.setValue("");
        return;
    }
    std::error_code error;
    const bool exists = std::filesystem::exists(gf_u8path(text), error);
    if (error) {
        gf_showStatus(fmt::format("This install path cannot be examined: {} ({})", text, error.message()), true);
        return;
    }
    if (!exists) {
        gf_showStatus(fmt::format("This install path does not exist: {}", text), true);
        return;
    }
    setting.setValue(text);
    gf_showStatus(fmt::format("Install path exists, {} will restart", programName), true);
    gf_showStringParameter(setting);
    gf_startFinalExit(3, 3); // "RESTART_IPP": the start-up runs again in this process
}
