#include "app/recorded_pool.h"

#include <cwchar>
#include <utility>

#include "settings/settings_layout.h"

namespace rivano {
namespace {

const std::wstring kRecordsKey = std::wstring(kProgramKey) + L"\\PoolCounts";

// "<stamp> <count>"; none for a record of no use.
std::optional<std::size_t> recordedCount(const std::wstring& record, const std::wstring& stamp) {
  if (stamp.empty() || record.size() <= stamp.size() + 1 || record.compare(0, stamp.size(), stamp) != 0 ||
      record[stamp.size()] != L' ')
    return std::nullopt;
  const wchar_t* digits = record.c_str() + stamp.size() + 1;
  wchar_t* end = nullptr;
  const unsigned long long count = std::wcstoull(digits, &end, 10);
  if (end == digits || *end != L'\0' || count > (std::size_t{1} << 24)) return std::nullopt;
  return static_cast<std::size_t>(count);
}

}  // namespace

RecordedPool::RecordedPool(SettingsRegistry& registry, std::vector<SourceCandidate> sources, Lister list, Stamp stamp)
    : registry_(registry), sources_(std::move(sources)), list_(std::move(list)) {
  stamps_.reserve(sources_.size());
  counts_.resize(sources_.size());
  for (std::size_t s = 0; s < sources_.size(); ++s) {
    stamps_.push_back(stamp(sources_[s].path));
    counts_[s] = recordedCount(registry_.readText(kRecordsKey, sources_[s].path, L""), stamps_[s]);
  }
}

std::size_t RecordedPool::knownCount(std::size_t source) {
  if (!counts_[source]) counts_[source] = names(source).size();
  return *counts_[source];
}

const std::vector<std::wstring>& RecordedPool::names(std::size_t source) {
  auto found = listed_.find(source);
  if (found == listed_.end()) {
    found = listed_.emplace(source, list_(sources_[source])).first;
    counts_[source] = found->second.size();
  }
  return found->second;
}

void RecordedPool::save() {
  registry_.deleteKey(kRecordsKey);
  for (std::size_t s = 0; s < sources_.size(); ++s) {
    if (!counts_[s] || stamps_[s].empty()) continue;
    registry_.writeText(kRecordsKey, sources_[s].path,
                        stamps_[s] + L" " + std::to_wstring(*counts_[s]));
  }
}

}  // namespace rivano
