// The single-instance lock: an exclusive flock on a file named after the
// title text, held for the life of the process.
#pragma once

#include <string>

namespace pixmera {

// The descriptor of the held lock, or -1 when another copy holds it or the
// lock file cannot be made.
int take_instance_lock(const std::string& name);
void release_instance_lock(int handle);
// $XDG_RUNTIME_DIR/<name>.lock, or the configuration folder when unset.
std::string instance_lock_path(const std::string& name);

}  // namespace pixmera
