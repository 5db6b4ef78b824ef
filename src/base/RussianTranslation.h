#pragma once

namespace kx12r {

// Loads Qt's own Russian texts (standard dialogs, a text box's context menu, the system's file
// errors) whatever the session's language; false when the translation is not installed.
bool InstallRussianTranslation();

}  // namespace kx12r
