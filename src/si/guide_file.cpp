#include "si/guide_file.h"

#include <span>

#include "common/file_dialogs.h"
#include "common/file_io.h"
#include "si/guide_text.h"
#include "si/messages.h"
#include "si/xmltv.h"

namespace pelorus {

std::string GuideFileContents(const Guide& guide, GuideFormat format) {
  std::string text;
  guide.Read([&](const std::map<uint16_t, ServiceEntry>& services) {
    text = format == GuideFormat::kText ? GuideFileText(services) : GuideXmltv(services);
  });
  return text;
}

bool WriteGuideFile(const Guide& guide, GuideFormat format, const std::string& path, Ui& ui) {
  const std::string text = GuideFileContents(guide, format);
  const auto bytes = std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  if (WriteFileAtomically(path, bytes) == WriteResult::kDone) return true;
  ui.ShowMessage(msg::si::kUnableToOpenForOutput, Icon::kInformation);
  return false;
}

bool SaveGuide(const Guide& guide, GuideFormat format, Ui& ui, std::string& folder) {
  FileRequest request;
  const bool text = format == GuideFormat::kText;
  request.title = text ? msg::si::kSaveEitTitle : msg::si::kSaveXmltvTitle;
  request.filterName = text ? msg::si::kTextFilterName : msg::si::kXmlFilterName;
  request.filterPattern = text ? msg::si::kTextFilterPattern : msg::si::kXmlFilterPattern;
  request.defaultExtension = text ? msg::si::kTextExtension : msg::si::kXmlExtension;
  request.overwritePrompt = true;
  if (!AskSaveFile(ui, request, folder)) return false;
  return WriteGuideFile(guide, format, request.path, ui);
}

}  // namespace pelorus
