#include "channels/find_channel.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "channels/channel_name.h"
#include "channels/messages.h"
#include "common/require.h"

namespace pelorus {
namespace {

// At most 20 bytes up to the first zero byte, with a to z made upper case unless case matters.
std::string SearchForm(const char* bytes, size_t size, bool matchCase) {
  std::string text(bytes, strnlen(bytes, std::min(size, kSearchLength)));
  if (!matchCase) {
    for (char& c : text) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return text;
}

}  // namespace

bool NameMatches(const ChannelRecord& record, const std::string& searchText, bool matchCase) {
  const std::string needle = SearchForm(searchText.data(), searchText.size(), matchCase);
  const std::string name =
      SearchForm(reinterpret_cast<const char*>(record.name.data()), kChannelNameSize, matchCase);
  return name.find(needle) != std::string::npos;
}

bool FindChannel(EditorState& state, Ui& ui, const FindDialogRunner& runDialog,
                 SelectionAfter& after) {
  if (!RequireSettings(state, ui)) return false;
  FindRequest request;
  if (state.search.findPosition != -1) {
    // The stored text is in name form; the dialog shows it as the list does.
    ChannelRecord stored{};
    std::memcpy(stored.name.data(), state.search.text.data(),
                std::min(state.search.text.size(), kChannelNameSize));
    request.text = DecodeChannelName(stored);
  }
  request.matchCase = state.options.matchCase != 0;
  if (!runDialog(request)) return false;

  ChannelRecord typed{};
  EncodeChannelName(typed, std::string_view(request.text).substr(0, kSearchLength));
  const auto* bytes = reinterpret_cast<const char*>(typed.name.data());
  state.search.text.assign(bytes, strnlen(bytes, kChannelNameSize));
  state.options.matchCase = request.matchCase ? 1 : 0;
  state.search.findPosition = 0;
  return FindNextChannel(state, ui, after);
}

bool FindNextChannel(EditorState& state, Ui& ui, SelectionAfter& after) {
  if (!RequireSettings(state, ui)) return false;
  if (state.search.findPosition == -1) {
    ui.Beep();
    return false;
  }
  const std::vector<ChannelRecord>& records = *state.settingsImage;
  const int count = state.ChannelCount();
  // The list may have been shortened or replaced since the last match.
  if (state.search.findPosition < 0 || state.search.findPosition >= count) {
    state.search.findPosition = 0;
  }
  const int start = state.search.findPosition;
  const bool matchCase = state.options.matchCase != 0;
  for (int step = 0; step < count; ++step) {
    const int i = (start + step) % count;
    if (!NameMatches(records[static_cast<size_t>(i)], state.search.text, matchCase)) continue;
    after.rows = {i};
    after.focusRow = i;
    state.search.findPosition = i + 1 < count ? i + 1 : 0;
    return true;
  }
  ui.ShowMessage(msg::kSearchStringNotFound, Icon::kInformation);
  return false;
}

}  // namespace pelorus
