// The pictures of a registered folder, as the picture list shows them.
#pragma once

#include <string>

#include "engine/picture_rows.h"
#include "common/system_registry.h"

namespace rivano {

// Which columns the rows get: all of them for the list to show and sort,
// or the name alone, which is all a draw needs and costs a tenth as much.
enum class RowColumns { all, nameOnly };

// One row per picture file of `folder` (ending in "\"), hidden, system and
// read-only ones included, sub-folders left out. False when the folder holds
// no plain file at all: the caller then keeps the list it had.
bool listFolderPictures(const std::wstring& folder, SystemRegistry& registry, PictureRows& rows,
                        RowColumns columns = RowColumns::all);

}  // namespace rivano
