// Where the archive listing puts its pictures: one row per picture, the
// columns already as the list shows them. The main window's picture list
// implements it; the listing only ever appends.
#pragma once

#include <string>

namespace rivano {

class PictureListRows {
 public:
  virtual ~PictureListRows() = default;
  virtual void addRow(const std::wstring& name, const std::wstring& sizeText,
                      const std::wstring& typeName, const std::wstring& dateText,
                      const std::wstring& attrText) = 0;
};

}  // namespace rivano
