// Tells whether another copy of the program is already running.
#pragma once

#include <string>

#include "platform/unique_handle.h"

namespace rivano::win {

class SingleInstance {
 public:
  // One copy per user session, wherever the program file lies. A copy that
  // finds another running lets go of the shared object at once, so that
  // while it tells the user so it does not itself keep later copies out.
  explicit SingleInstance(const std::wstring& name);
  bool anotherIsRunning() const { return another_; }

 private:
  UniqueKernelHandle mutex_;
  bool another_ = false;
};

}  // namespace rivano::win
