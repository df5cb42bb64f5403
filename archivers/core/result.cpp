#include "archivers/core/archive_format.h"

namespace rivano::arc {

const char* resultName(Result r) noexcept {
  switch (r) {
    case Result::ok: return "ok";
    case Result::notThisFormat: return "not this format";
    case Result::corrupt: return "corrupt";
    case Result::unsupportedMethod: return "unsupported method";
    case Result::tooLarge: return "too large";
    case Result::ioError: return "I/O error";
  }
  return "unknown";
}

}  // namespace rivano::arc
