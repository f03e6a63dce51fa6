// Fixed texts of the wizard frame.
#pragma once

namespace orn::wizard {

// Caption of every message a page shows.
inline constexpr const char* kMessageCaption = "Konfiguration von ORN! sichern/wiederherstellen...";
// The application's title: caption of messages that have none of their own.
inline constexpr const char* kApplicationTitle = "ORN!";
// Caption of the sheet, shown while no page with a title of its own is active.
inline constexpr const char* kSheetCaption = "Wizard";
// The help file, looked up in the current directory when help is asked for.
inline constexpr const char* kHelpFileName = "orncfg.html";

}  // namespace orn::wizard
