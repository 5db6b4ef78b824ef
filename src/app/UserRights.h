#pragma once

namespace kx12r {

// Whether the user has administrator rights: root, or a member of the group sudo, wheel or
// admin; on Windows, an administrator with the rights raised. Such a user may change the service
// database.
bool IsUserAnAdmin();

}  // namespace kx12r
