#include "channels/read_status.h"

#include "channels/messages.h"
#include "common/strfmt.h"

namespace pelorus {

ReadStatusLine::~ReadStatusLine() { Finish(); }

void ReadStatusLine::Finish() {
  if (finished_) return;
  finished_ = true;
  const bool empty = listRead_ && state_.settingsImage && state_.settingsImage->empty();
  ui_.SetStatusText(empty ? Format(msg::kChannelsRead, 0) : std::string());
}

}  // namespace pelorus
