#pragma once

#include <bitset>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "si/section.h"

namespace pelorus {

// Which sections of one table (one table_id and table_id_extension) have come. The table is
// complete when every section number up to the last has arrived in one version; a section of
// another version starts the count again, and sections that are not usable (cut, a wrong CRC,
// the next version rather than the current one) are not counted.
class SectionTracker {
 public:
  enum class Outcome {
    kIgnored,    // not usable, or of another table
    kRepeat,     // this version's section, already counted
    kAdded,      // a new section of the version being collected
    kRestarted,  // the first section of a new version: what came of the old one is forgotten
  };

  // `segmentLast`: an EIT schedule's segment_last_section_number. The sections after it in its
  // segment of eight are never sent, so they are not waited for.
  Outcome Add(const Section& section, std::optional<uint8_t> segmentLast = std::nullopt);
  bool Complete() const;
  // The version being collected, once a section has come.
  std::optional<uint8_t> Version() const;
  void Reset() { *this = SectionTracker(); }

 private:
  bool started_ = false;
  uint8_t tableId_ = 0;
  uint16_t extension_ = 0;
  uint8_t version_ = 0;
  uint8_t last_ = 0;
  std::bitset<256> expected_;
  std::bitset<256> arrived_;
};

// The sections of one table, parsed with `Table::Parse` and joined with `Table::Append` in
// section order once the table is complete. The last complete version stays the current table
// until a newer version is complete in its turn.
template <typename Table>
class TableCollector {
 public:
  // One section. True when it completed a version of the table: Current() is then that version.
  bool Add(const Section& section) {
    if (!section.Usable()) return false;
    std::optional<Table> parsed = Table::Parse(section);
    if (!parsed) return false;
    const SectionTracker::Outcome outcome = tracker_.Add(section, SegmentLast(*parsed));
    if (outcome == SectionTracker::Outcome::kIgnored ||
        outcome == SectionTracker::Outcome::kRepeat) {
      return false;
    }
    if (outcome == SectionTracker::Outcome::kRestarted) {
      parts_.clear();
      built_ = false;
    }
    parts_.insert_or_assign(section.number, std::move(*parsed));
    if (built_ || !tracker_.Complete()) return false;
    current_ = Join();
    built_ = true;
    return true;
  }
  // The last complete version, if one has come.
  const std::optional<Table>& Current() const { return current_; }
  // The sections of the version being collected that have come, joined in section order.
  std::optional<Table> Partial() const { return Join(); }
  bool Complete() const { return tracker_.Complete(); }
  void Reset() {
    tracker_.Reset();
    parts_.clear();
    current_.reset();
    built_ = false;
  }

 private:
  static std::optional<uint8_t> SegmentLast(const Table& table) {
    if constexpr (requires { table.segmentLastSectionNumber; }) {
      return table.segmentLastSectionNumber;
    } else {
      return std::nullopt;
    }
  }
  std::optional<Table> Join() const {
    std::optional<Table> joined;
    for (const auto& [number, part] : parts_) {
      if (joined) {
        joined->Append(part);
      } else {
        joined = part;
      }
    }
    return joined;
  }

  SectionTracker tracker_;
  std::map<uint8_t, Table> parts_;  // by section number: only the sections that came
  std::optional<Table> current_;
  bool built_ = false;
};

}  // namespace pelorus
