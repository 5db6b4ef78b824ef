// Whether the user may change the service database: a member of Administrators, with the
// rights raised where the system asks for that.
#include <shlobj.h>
#include <windows.h>

#include "app/UserRights.h"

namespace kx12r {

bool IsUserAnAdmin() { return ::IsUserAnAdmin() != FALSE; }

}  // namespace kx12r
