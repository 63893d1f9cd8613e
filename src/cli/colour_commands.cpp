// pelorus-cli serial colours-up FILE / colours-down FILE: the colour table both ways, as the
// colour-editing program asks the editor for it with /CU and /CD.
#include <string>
#include <vector>

#include "link_actions.h"
#include "serial/colour_transfer.h"

namespace pelorus {
namespace {

int RunColoursUp(const std::vector<std::string>& args, EditorState& state, CliContext& context) {
  if (args.size() != 1 || args[0].starts_with("--")) {
    return UsageError(context, "serial colours-up FILE [--port PATH]");
  }
  state.commandLineFile = "/CU " + args[0];
  SerialLink link(context.ui);
  return UploadColours(state, link, ShippedDataFolder()) ? kExitDone : kExitFailed;
}

int RunColoursDown(const std::vector<std::string>& args, EditorState& state, CliContext& context) {
  if (args.size() != 1 || args[0].starts_with("--") || args[0].find(' ') != std::string::npos) {
    return UsageError(context, "serial colours-down FILE [--port PATH]");
  }
  // No program waits for a message here; the handle word only has to be there.
  state.commandLineFile = "/CD " + args[0] + " 1";
  SerialLink link(context.ui);
  return DownloadColours(state, link, ShippedDataFolder()) != 0 ? kExitDone : kExitFailed;
}

const LinkActionRegistrar kUp({"serial", "colours-up", "colours-up FILE [--port PATH]",
                               RunColoursUp});
const LinkActionRegistrar kDown({"serial", "colours-down", "colours-down FILE [--port PATH]",
                                 RunColoursDown});

}  // namespace
}  // namespace pelorus
