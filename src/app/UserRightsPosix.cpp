// Whether the user may change the service database: root, or a member of sudo, wheel or admin.
#include "app/UserRights.h"

#include <grp.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace kx12r {

bool IsUserAnAdmin() {
  if (geteuid() == 0) return true;
  const int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(count);
  if (getgroups(count, groups.data()) < 0) return false;
  for (gid_t id : groups) {
    if (const group* entry = getgrgid(id)) {
      for (const char* admin : {"sudo", "wheel", "admin"}) {
        if (std::strcmp(entry->gr_name, admin) == 0) return true;
      }
    }
  }
  return false;
}

}  // namespace kx12r
