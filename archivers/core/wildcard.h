// Member-name patterns as the archiver interface takes them: '*' any run of
// bytes, '?' one byte, ASCII case ignored. As in MS-DOS, a pattern ending in
// ".*" also matches names without a dot, so "*.*" matches every member.
#pragma once

#include <string_view>

namespace rivano::arc {

bool wildcardMatch(std::string_view pattern, std::string_view name) noexcept;

}  // namespace rivano::arc
