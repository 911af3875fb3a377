// The single-instance lock, named after the title text and held for the life
// of the process: on Linux an exclusive flock on a lock file, on Windows a
// named mutex in the session namespace.
#pragma once

#include <string>

namespace pixmera {

// A handle of the held lock (0 or more), or -1 when another copy holds it
// or the lock cannot be made.
int take_instance_lock(const std::string& name);
void release_instance_lock(int handle);

}  // namespace pixmera
