// The pool of the logon run's even draw: each source's count of pictures as
// recorded by an earlier run, trusted while the source is unchanged (its
// change stamp the same), so that the draw lists only the source it lands
// in. The records live under the program's key, one value per source.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/fair_draw.h"
#include "settings/settings_registry.h"

namespace rivano {

class RecordedPool final : public CountedPool {
 public:
  using Lister = std::function<std::vector<std::wstring>(const SourceCandidate&)>;
  using Stamp = std::function<std::wstring(const std::wstring& path)>;
  RecordedPool(SettingsRegistry& registry, std::vector<SourceCandidate> sources, Lister list, Stamp stamp);

  std::size_t sources() const override { return sources_.size(); }
  const std::wstring& path(std::size_t source) const override { return sources_[source].path; }
  std::size_t knownCount(std::size_t source) override;
  const std::vector<std::wstring>& names(std::size_t source) override;
  const SourceCandidate& candidate(std::size_t source) const { return sources_[source]; }

  // Records every count known now, and forgets sources no longer drawn from.
  void save();

 private:
  SettingsRegistry& registry_;
  std::vector<SourceCandidate> sources_;
  Lister list_;
  std::vector<std::wstring> stamps_;
  std::vector<std::optional<std::size_t>> counts_;
  std::map<std::size_t, std::vector<std::wstring>> listed_;
};

}  // namespace rivano
