#include "settings/settings_layout.h"

#include <utility>

#include "common/run_error.h"
#include "settings/number_text.h"
#include "settings/wall_list_saving.h"

namespace rivano {
namespace {

std::wstring_view sectionName(Section section) {
  switch (section) {
    case Section::winPos: return L"\\WinPos";
    case Section::option: return L"\\Option";
    case Section::wallList: return L"\\WallList";
    case Section::savedWallList: return L"\\WallListNew";
  }
  return L"";
}

// Runs one read step of a load; a stored text that does not convert leaves
// the value unread instead of stopping the load.
template <typename Read>
auto attempt(Read&& read) -> std::optional<decltype(read())> {
  try {
    return read();
  } catch (const RunError&) {
    return std::nullopt;
  }
}

std::wstring numberedName(std::wstring_view stem, std::size_t n) {
  return std::wstring(stem) + std::to_wstring(n);
}

}  // namespace

SettingsStore::SettingsStore(SettingsRegistry& registry, std::wstring programKey)
    : registry_(registry), programKey_(std::move(programKey)) {}

std::wstring SettingsStore::keyPath(Section section) const {
  return programKey_ + std::wstring(sectionName(section));
}

bool SettingsStore::sectionExists(Section section) const {
  return registry_.keyExists(programKey_, std::wstring(sectionName(section)));
}

std::wstring SettingsStore::text(const ValueDef& def) const {
  return text(def, std::wstring(def.defaultText));
}

std::wstring SettingsStore::text(const ValueDef& def, const std::wstring& defaultOverride) const {
  return registry_.readText(keyPath(def.section), std::wstring(def.name), defaultOverride);
}

std::int16_t SettingsStore::int16(const ValueDef& def) const { return textToInt16(text(def)); }
std::int32_t SettingsStore::int32(const ValueDef& def) const { return textToInt32(text(def)); }
bool SettingsStore::truth(const ValueDef& def) const { return textToTruth(text(def)); }

void SettingsStore::writeText(const ValueDef& def, const std::wstring& data) {
  registry_.writeText(keyPath(def.section), std::wstring(def.name), data);
}

void SettingsStore::writeNumber(const ValueDef& def, std::int64_t number) {
  writeText(def, numberText(number));
}

void SettingsStore::writeTruth(const ValueDef& def, bool value) {
  writeText(def, def.form == Form::word ? wordText(value) : checkBoxText(value));
}

std::wstring SettingsStore::valueText(Section section, std::wstring_view name,
                                      const std::wstring& defaultText) const {
  return registry_.readText(keyPath(section), std::wstring(name), defaultText);
}

bool SettingsStore::writeValue(Section section, std::wstring_view name, const std::wstring& data) {
  return registry_.writeText(keyPath(section), std::wstring(name), data);
}

std::wstring SettingsStore::numberedText(Section section, std::wstring_view stem, std::size_t n,
                                         const std::wstring& defaultText) const {
  return valueText(section, numberedName(stem, n), defaultText);
}

bool SettingsStore::writeNumbered(Section section, std::wstring_view stem, std::size_t n,
                                  const std::wstring& data) {
  return writeValue(section, numberedName(stem, n), data);
}

bool SettingsStore::deleteSection(Section section) {
  return registry_.deleteKey(keyPath(section));
}

bool SettingsStore::deleteProgramKey() { return registry_.deleteKey(programKey_); }

MainLoadValues readMainLoadValues(const SettingsStore& s, const MainLoadDefaults& current) {
  MainLoadValues v;
  const std::wstring sortKeyDefault = numberText(current.sortColumn - 1);
  v.sortKey = attempt([&] { return textToInt16(s.text(value::sortKey, sortKeyDefault)); });
  v.sortOrder =
      attempt([&] { return textToInt32(s.text(value::sortOrder, numberText(current.sortOrder))); });
  v.listView = attempt([&] { return s.int16(value::listView); });
  v.listWidth =
      attempt([&] { return textToTruth(s.text(value::listWidth, wordText(current.listWidth))); });
  v.winPosExists = s.sectionExists(Section::winPos);
  if (v.winPosExists) {
    v.left = attempt([&] { return textToInt32(s.text(value::left, numberText(current.left))); });
    v.top = attempt([&] { return textToInt32(s.text(value::top, numberText(current.top))); });
  }
  v.freeIcon = attempt([&] { return s.int32(value::freeIcon); });
  v.freeEnd = attempt([&] { return s.int32(value::freeEnd); });
  if (v.freeEnd == 1) {
    v.tmrCount = attempt([&] { return s.int16(value::tmrCount); });
    v.actStop = attempt([&] { return s.int16(value::actStop); });
  }
  v.viewer = attempt([&] { return s.int16(value::viewer); });
  v.noWallpaper = attempt([&] { return s.truth(value::noWallpaper); });
  v.picReSize = attempt([&] { return s.truth(value::picReSize); });
  v.picReMag = attempt([&] { return s.int16(value::picReMag); });
  return v;
}

namespace {

// A stored per-entry value: `missing` when absent, `empty` when present but
// blank; a text that is no number falls back to `missing` rather than
// stopping the load of the whole list.
std::int16_t entryNumber(const SettingsStore& s, Section from, std::wstring_view stem, std::size_t n,
                         const wchar_t* missing, std::int16_t empty) {
  const std::wstring t = s.numberedText(from, stem, n, missing);
  if (t.empty()) return empty;
  return attempt([&] { return textToInt16(t); }).value_or(textToInt16(missing));
}

bool entryChecked(const SettingsStore& s, Section from, std::size_t n) {
  const std::wstring t = s.numberedText(from, L"LSelect", n, L"1");
  if (t.empty()) return true;
  return attempt([&] { return textToTruth(t); }).value_or(true);
}

}  // namespace

StoredWallList readWallList(const SettingsStore& s) {
  StoredWallList stored;
  const Section from = wallListToLoad(s);
  stored.keyExists = s.sectionExists(from);
  if (!stored.keyExists) return stored;
  const std::int16_t count = attempt([&] {
                               return textToInt16(s.valueText(from, value::count.name,
                                                              std::wstring(value::count.defaultText)));
                             }).value_or(0);
  for (std::int16_t i = 1; i <= count; ++i) {
    const auto n = static_cast<std::size_t>(i);
    WallEntry e;
    e.path = s.numberedText(from, L"List", n, L"");
    if (e.path.empty()) break;
    e.checked = entryChecked(s, from, n);
    e.tileOpt = entryNumber(s, from, L"TileOpt", n, L"2", 2);
    e.tileX = entryNumber(s, from, L"TileX", n, L"2", 1);
    e.tileY = entryNumber(s, from, L"TileY", n, L"2", 1);
    stored.entries.append(e);
  }
  return stored;
}

WallList wallListAtStart(StoredWallList stored, const std::wstring& windowsFolder) {
  if (stored.keyExists) return std::move(stored.entries);
  WallList list;
  list.append({windowsFolder, true, 2, 2, 2});
  return list;
}

WindowPlace placeAtStart(const MainLoadValues& loaded, WindowPlace centred, std::int32_t twipsPerPixelX,
                         std::int32_t twipsPerPixelY) {
  WindowPlace at = centred;
  if (!loaded.winPosExists) return at;
  if (loaded.left && twipsPerPixelX > 0) at.left = *loaded.left / twipsPerPixelX;
  if (loaded.top && twipsPerPixelY > 0) at.top = *loaded.top / twipsPerPixelY;
  return at;
}

MainExitValues exitValuesAsLoaded(const MainLoadValues& loaded, WindowPlace centred, std::int32_t twipsPerPixelX,
                                  std::int32_t twipsPerPixelY) {
  MainExitValues v;
  // The list keeps a sort column and direction of its own only for a
  // stored column above the name's; otherwise both stay at their start.
  const std::int16_t sortKey = loaded.sortKey.value_or(-1);
  if (sortKey > 0) {
    v.sortKey = sortKey;
    v.sortOrder = loaded.sortOrder.value_or(0) != 0 ? 1 : 0;
  }
  v.listView = loaded.listView.value_or(0);
  v.listWidth = loaded.listWidth.value_or(false);
  // A window that starts minimised is closed minimised and keeps no place.
  v.windowNormal = loaded.freeIcon.value_or(0) != 1;
  const WindowPlace at = placeAtStart(loaded, centred, twipsPerPixelX, twipsPerPixelY);
  v.left = at.left * twipsPerPixelX;
  v.top = at.top * twipsPerPixelY;
  v.viewer = loaded.viewer.value_or(1) == 1 ? 1 : 0;
  return v;
}

std::vector<std::wstring> readHistory(const SettingsStore& s) {
  std::vector<std::wstring> history;
  const Section from = wallListToLoad(s);
  for (std::size_t k = 0; k < kStoredHistory; ++k) {
    std::wstring path = s.numberedText(from, L"Rireki", k, L"");
    if (path.empty()) break;
    history.push_back(std::move(path));
  }
  return history;
}

void writeMainExitValues(SettingsStore& s, const MainExitValues& v, const WallList& wallList,
                         const std::vector<std::wstring>& history) {
  s.writeNumber(value::sortKey, v.sortKey);
  s.writeNumber(value::sortOrder, v.sortOrder);
  s.writeNumber(value::listView, v.listView);
  s.writeTruth(value::listWidth, v.listWidth);
  if (v.windowNormal) {
    s.writeNumber(value::left, v.left);
    s.writeNumber(value::top, v.top);
  }
  s.writeNumber(value::viewer, v.viewer);

  saveWallList(s, wallList, history);
}

WallpaperExtras readWallpaperExtras(const SettingsStore& s) {
  auto on = [&](const ValueDef& def) { return attempt([&] { return s.int32(def); }).value_or(0) == 1; };
  WallpaperExtras e;
  e.drawEvenly = on(value::drawEvenly);
  e.noRepeat = on(value::noRepeat);
  e.perMonitor = on(value::perMonitor);
  e.fillScreen = on(value::fillScreen);
  return e;
}

void writeWallpaperExtras(SettingsStore& s, const WallpaperExtras& e) {
  s.writeTruth(value::drawEvenly, e.drawEvenly);
  s.writeTruth(value::noRepeat, e.noRepeat);
  s.writeTruth(value::perMonitor, e.perMonitor);
  s.writeTruth(value::fillScreen, e.fillScreen);
}

OptionsLoadValues readOptionsLoadValues(const SettingsStore& s) {
  OptionsLoadValues v;
  v.freeIcon = attempt([&] { return s.int16(value::freeIcon); });
  v.freeEnd = attempt([&] { return s.int16(value::freeEnd); });
  v.actStop = attempt([&] { return s.int16(value::actStop); });
  v.tmrCount = attempt([&] { return s.int16(value::tmrCount); });
  v.historyViewer = attempt([&] { return s.int16(value::historyViewer); });
  v.straShow = attempt([&] { return s.int16(value::straShow); });
  v.dragOpt = attempt([&] { return s.int16(value::dragOpt); });
  v.dropTileDown = s.text(value::dropTileDown);
  v.dropTileAcross = s.text(value::dropTileAcross);
  return v;
}

void writeOptionsOkValues(SettingsStore& s, const OptionsOkValues& v) {
  s.writeTruth(value::freeIcon, v.freeIcon);
  s.writeTruth(value::freeEnd, v.freeEnd);
  s.writeTruth(value::actStop, v.actStop);
  s.writeNumber(value::tmrCount, v.tmrCount);
  s.writeTruth(value::historyViewer, v.historyViewer);
  s.writeTruth(value::noWallpaper, v.noWallpaper);
  s.writeTruth(value::straShow, v.straShow);
  s.writeTruth(value::picReSize, v.picReSize);
  s.writeNumber(value::picReMag, v.picReMag);
  s.writeNumber(value::dragOpt, v.dragOpt);
  s.writeText(value::dropTileDown, v.dropTileDown);
  s.writeText(value::dropTileAcross, v.dropTileAcross);
}

}  // namespace rivano
