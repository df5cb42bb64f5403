#include "platform/single_instance.h"

namespace rivano::win {

SingleInstance::SingleInstance(const std::wstring& name)
    : mutex_(CreateMutexW(nullptr, FALSE, name.c_str())),
      another_(GetLastError() == ERROR_ALREADY_EXISTS) {
  if (another_) mutex_.reset();
}

}  // namespace rivano::win
