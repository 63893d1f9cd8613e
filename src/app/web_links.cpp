#include "app/web_links.h"

#include "app/commands.h"
#include "common/strfmt.h"

namespace pelorus {
namespace {

constexpr const char* kPrimaryMirror = "https://pelorus.example.com/";
constexpr const char* kSecondaryMirror = "https://pelorus-mirror.example.net/";
constexpr const char* kNorthernEuropeMirror = "https://pelorus.example.org/pl/";

}  // namespace

std::optional<std::string> WebLinkForCommand(int command, int build) {
  const std::string updatePage = Format("build%d.html", build);
  switch (command) {
    case cmd::kUpdatesPrimary:
      return kPrimaryMirror + updatePage;
    case cmd::kUpdatesSecondary:
      return kSecondaryMirror + updatePage;
    case cmd::kUpdatesNorth:
      return kNorthernEuropeMirror + updatePage;
    case cmd::kHomePrimary:
      return std::string(kPrimaryMirror);
    case cmd::kHomeSecondary:
      return std::string(kSecondaryMirror);
    case cmd::kHomeNorth:
      return std::string(kNorthernEuropeMirror);
    default:
      return std::nullopt;
  }
}

}  // namespace pelorus
