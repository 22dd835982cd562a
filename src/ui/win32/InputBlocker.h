#pragma once
// Runs work on a thread of its own while the calling (GUI) thread goes on
// dispatching its messages, repaints included, but drops the user's input:
// nothing the user clicks or types meanwhile acts, during the work or after.
#include <functional>

namespace kvr {

// Rethrows what work threw. A WM_QUIT seen meanwhile is posted again.
void RunWithoutInputOn(const std::function<void()>& work);

}  // namespace kvr
