#include "si/table_tracker.h"

namespace pelorus {
namespace {

constexpr int kSegmentSize = 8;

}  // namespace

SectionTracker::Outcome SectionTracker::Add(const Section& section,
                                            std::optional<uint8_t> segmentLast) {
  if (!section.Usable() || !section.syntax || section.number > section.lastNumber) {
    return Outcome::kIgnored;
  }
  if (started_ && (section.tableId != tableId_ || section.extension != extension_)) {
    return Outcome::kIgnored;
  }
  Outcome outcome = Outcome::kAdded;
  if (!started_ || section.version != version_) {
    outcome = started_ ? Outcome::kRestarted : Outcome::kAdded;
    started_ = true;
    tableId_ = section.tableId;
    extension_ = section.extension;
    version_ = section.version;
    last_ = section.lastNumber;
    expected_.reset();
    arrived_.reset();
    for (int n = 0; n <= last_; ++n) expected_.set(static_cast<size_t>(n));
  } else if (arrived_.test(section.number)) {
    return Outcome::kRepeat;
  }
  if (segmentLast && *segmentLast >= section.number) {
    const int segmentEnd = (section.number / kSegmentSize + 1) * kSegmentSize;
    for (int n = *segmentLast + 1; n < segmentEnd && n < 256; ++n) {
      expected_.reset(static_cast<size_t>(n));
    }
  }
  arrived_.set(section.number);
  return outcome;
}

bool SectionTracker::Complete() const { return started_ && (expected_ & ~arrived_).none(); }

std::optional<uint8_t> SectionTracker::Version() const {
  if (!started_) return std::nullopt;
  return version_;
}

}  // namespace pelorus
