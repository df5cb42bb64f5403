// Every key and value the program keeps under its registry key: the stored
// form, the default a reader assumes, the conversion, and the orders in
// which the main window reads them at load and writes them at exit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_registry.h"
#include "settings/wall_list.h"

namespace rivano {

inline constexpr std::wstring_view kProgramKey = L"Software\\Velmorat\\Rivano";
// How many history entries survive an exit.
inline constexpr std::size_t kStoredHistory = 20;

// `savedWallList` is the complete copy that an exit writes before it
// replaces WallList; it exists only while that exit runs (or after one that
// was cut off) and the loads below prefer it when it is complete.
enum class Section { winPos, option, wallList, savedWallList };

enum class Form {
  int16,     // "15", "-1"; read with the 16-bit conversion
  int32,     // written from a 32-bit value
  checkBox,  // "1" / "0"
  word,      // "True" / "False"
  text,      // as typed
};

struct ValueDef {
  Section section;
  std::wstring_view name;
  std::wstring_view defaultText;
  Form form;
};

namespace value {
// WinPos
inline constexpr ValueDef sortKey{Section::winPos, L"SortKey", L"-1", Form::int16};
inline constexpr ValueDef sortOrder{Section::winPos, L"SortOrder", L"0", Form::int32};
inline constexpr ValueDef listView{Section::winPos, L"ListView", L"0", Form::int16};
inline constexpr ValueDef listWidth{Section::winPos, L"ListWidth", L"False", Form::word};
inline constexpr ValueDef left{Section::winPos, L"Left", L"", Form::int32};
inline constexpr ValueDef top{Section::winPos, L"Top", L"", Form::int32};
// Option. Some stored names differ from what the values are called here
// and stay as every earlier version wrote them: "Viwer" (viewer), "RLViwer"
// (historyViewer), "DragTate" and "DragYoko" (dropTileDown, dropTileAcross).
inline constexpr ValueDef freeIcon{Section::option, L"FreeIcon", L"0", Form::checkBox};
inline constexpr ValueDef freeEnd{Section::option, L"FreeEnd", L"0", Form::checkBox};
inline constexpr ValueDef tmrCount{Section::option, L"TmrCount", L"15", Form::int32};
inline constexpr ValueDef actStop{Section::option, L"ActStop", L"0", Form::checkBox};
inline constexpr ValueDef viewer{Section::option, L"Viwer", L"1", Form::checkBox};
inline constexpr ValueDef historyViewer{Section::option, L"RLViwer", L"1", Form::checkBox};
inline constexpr ValueDef straShow{Section::option, L"StraShow", L"1", Form::checkBox};
inline constexpr ValueDef noWallpaper{Section::option, L"NoWallpaper", L"0", Form::checkBox};
inline constexpr ValueDef picReSize{Section::option, L"PicReSize", L"0", Form::checkBox};
inline constexpr ValueDef picReMag{Section::option, L"PicReMag", L"0", Form::int32};
inline constexpr ValueDef dragOpt{Section::option, L"DragOpt", L"2", Form::int16};
inline constexpr ValueDef dropTileDown{Section::option, L"DragTate", L"2", Form::text};
inline constexpr ValueDef dropTileAcross{Section::option, L"DragYoko", L"2", Form::text};
// Option: the wallpaper options of the extended tab
inline constexpr ValueDef drawEvenly{Section::option, L"DrawEvenly", L"0", Form::checkBox};
inline constexpr ValueDef noRepeat{Section::option, L"NoRepeat", L"0", Form::checkBox};
inline constexpr ValueDef perMonitor{Section::option, L"PerMonitor", L"0", Form::checkBox};
inline constexpr ValueDef fillScreen{Section::option, L"FillScreen", L"0", Form::checkBox};
// WallList
inline constexpr ValueDef count{Section::wallList, L"Count", L"0", Form::int16};
}  // namespace value

// Reads and writes through the registry routines under one program key.
class SettingsStore {
 public:
  explicit SettingsStore(SettingsRegistry& registry, std::wstring programKey = std::wstring(kProgramKey));

  std::wstring keyPath(Section section) const;
  bool sectionExists(Section section) const;

  // Raw text with the value's default, or `defaultOverride` where the
  // default is a current state of the caller (a window position, say).
  std::wstring text(const ValueDef& def) const;
  std::wstring text(const ValueDef& def, const std::wstring& defaultOverride) const;
  // Conversions raise RunError 13 (no number) or 6 (out of range).
  std::int16_t int16(const ValueDef& def) const;
  std::int32_t int32(const ValueDef& def) const;
  bool truth(const ValueDef& def) const;

  void writeText(const ValueDef& def, const std::wstring& text);
  void writeNumber(const ValueDef& def, std::int64_t number);
  // In the value's own truth form: "1"/"0" or "True"/"False".
  void writeTruth(const ValueDef& def, bool truth);

  // Any value of a section by its name, and numbered ones: "List3", "Rireki0".
  // The writes report whether the value was stored.
  std::wstring valueText(Section section, std::wstring_view name,
                         const std::wstring& defaultText) const;
  bool writeValue(Section section, std::wstring_view name, const std::wstring& text);
  std::wstring numberedText(Section section, std::wstring_view stem, std::size_t n,
                            const std::wstring& defaultText) const;
  bool writeNumbered(Section section, std::wstring_view stem, std::size_t n,
                     const std::wstring& text);

  bool deleteSection(Section section);
  bool deleteProgramKey();
  SettingsRegistry& registry() const { return registry_; }

 private:
  SettingsRegistry& registry_;
  std::wstring programKey_;
};

// What the main window's load reads, in its order. A value whose text does
// not convert is left empty here; the window keeps its own state for it.
struct MainLoadValues {
  std::optional<std::int16_t> sortKey;
  std::optional<std::int32_t> sortOrder;
  std::optional<std::int16_t> listView;
  std::optional<bool> listWidth;
  bool winPosExists = false;
  std::optional<std::int32_t> left;  // only when winPosExists
  std::optional<std::int32_t> top;
  std::optional<std::int32_t> freeIcon;
  std::optional<std::int32_t> freeEnd;
  std::optional<std::int16_t> tmrCount;  // only when freeEnd is 1
  std::optional<std::int16_t> actStop;   // only when freeEnd is 1
  std::optional<std::int16_t> viewer;
  std::optional<bool> noWallpaper;
  std::optional<bool> picReSize;
  std::optional<std::int16_t> picReMag;
};

// The caller's current state, used where a missing value means "as it is".
struct MainLoadDefaults {
  std::int16_t sortColumn = 0;  // the list's initial sort column
  std::int32_t sortOrder = 0;
  bool listWidth = false;
  std::int32_t left = 0;
  std::int32_t top = 0;
};

MainLoadValues readMainLoadValues(const SettingsStore& store, const MainLoadDefaults& current);

// The stored wall list: `keyExists` false on a first run (or after removal
// of the settings), which is not the same as an empty list. Read from the
// complete copy of an exit that was cut off when there is one.
struct StoredWallList {
  bool keyExists = false;
  WallList entries;
};
StoredWallList readWallList(const SettingsStore& store);

// The entries a run starts with: those stored, or on a first run (no list
// key at all) the Windows folder, checked, tiled automatically by 2 and 2.
WallList wallListAtStart(StoredWallList stored, const std::wstring& windowsFolder);

// Rireki0 upwards until the first empty text or Rireki19, from the same
// place as the wall list.
std::vector<std::wstring> readHistory(const SettingsStore& store);

struct MainExitValues {
  std::int16_t sortKey = 0;
  std::int32_t sortOrder = 0;
  std::int16_t listView = 0;
  bool listWidth = false;
  bool windowNormal = true;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int16_t viewer = 1;
};

// The main window's top-left corner, in pixels.
struct WindowPlace {
  std::int32_t left = 0;
  std::int32_t top = 0;
};

// The stored place (kept in twips) when there is one, else `centred`; a
// stored value that is no number keeps the centred value on its axis.
WindowPlace placeAtStart(const MainLoadValues& loaded, WindowPlace centred, std::int32_t twipsPerPixelX,
                         std::int32_t twipsPerPixelY);

// What the main window's close stores when nothing was changed since its
// load: the values as loaded, normalised the way loading them into the
// window normalises them. `centred` is the window's centred place in
// pixels, used where no position is stored or it is no number; positions
// go through whole pixels, as the window holds them.
MainExitValues exitValuesAsLoaded(const MainLoadValues& loaded, WindowPlace centred, std::int32_t twipsPerPixelX,
                                  std::int32_t twipsPerPixelY);

// Writes in the exit order: WinPos, Option "Viwer", then the WallList key
// replaced by one holding the newest 20 history entries and every entry
// (settings/wall_list_saving.h says how a kill during that step is survived).
void writeMainExitValues(SettingsStore& store, const MainExitValues& values,
                         const WallList& wallList, const std::vector<std::wstring>& history);

// The wallpaper options beyond the classic change, each off unless stored
// as exactly 1: every picture of the checked sources equally likely, the
// recent ones avoided, a picture of its own for each monitor, and large
// pictures filling the screen rather than fitting into it.
struct WallpaperExtras {
  bool drawEvenly = false;
  bool noRepeat = false;
  bool perMonitor = false;
  bool fillScreen = false;
  bool operator==(const WallpaperExtras&) const = default;
};
WallpaperExtras readWallpaperExtras(const SettingsStore& store);
void writeWallpaperExtras(SettingsStore& store, const WallpaperExtras& extras);

// What the options dialog shows when it opens, in its order. A value whose
// text does not convert is left empty: the control keeps its design state.
struct OptionsLoadValues {
  std::optional<std::int16_t> freeIcon;
  std::optional<std::int16_t> freeEnd;
  std::optional<std::int16_t> actStop;
  std::optional<std::int16_t> tmrCount;
  std::optional<std::int16_t> historyViewer;
  std::optional<std::int16_t> straShow;
  std::optional<std::int16_t> dragOpt;
  std::wstring dropTileDown;
  std::wstring dropTileAcross;
};
OptionsLoadValues readOptionsLoadValues(const SettingsStore& store);

// What the options dialog's OK stores: check boxes as "1"/"0", the
// sliders as numbers, the two counts as typed.
struct OptionsOkValues {
  bool freeIcon = false;
  bool freeEnd = false;
  bool actStop = false;
  std::int32_t tmrCount = 15;
  bool historyViewer = true;
  bool noWallpaper = false;
  bool straShow = true;
  bool picReSize = false;
  std::int32_t picReMag = 0;
  std::int16_t dragOpt = 2;
  std::wstring dropTileDown = L"2";
  std::wstring dropTileAcross = L"2";
};
// All twelve values, in the dialog's order, whether changed or not.
void writeOptionsOkValues(SettingsStore& store, const OptionsOkValues& values);

}  // namespace rivano
