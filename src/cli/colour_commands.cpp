// pelorus-cli serial colours-up FILE / colours-down FILE: the colour table both ways, as the
// colour-editing program asks the editor for it with /CU and /CD.
#include <string>
#include <vector>

#include "link_actions.h"
#include "serial/colour_transfer.h"

namespace pelorus {
namespace {

int RunColoursUp(const ParsedLine& line, EditorState& state, CliContext& context) {
  state.commandLineFile = "/CU " + line.Name(0);
  SerialLink link(context.ui);
  return UploadColours(state, link, ShippedDataFolder()) ? kExitDone : kExitFailed;
}

int RunColoursDown(const ParsedLine& line, EditorState& state, CliContext& context) {
  // The name travels as one word of the request.
  if (line.Name(0).find(' ') != std::string::npos) return UsageError(context);
  // No program waits for a message here; the handle word only has to be there.
  state.commandLineFile = "/CD " + line.Name(0) + " 1";
  SerialLink link(context.ui);
  return DownloadColours(state, link, ShippedDataFolder()) != 0 ? kExitDone : kExitFailed;
}

const LinkActionRegistrar kUp(
    {"serial", "colours-up", {{{"FILE", "the colour table sent to the receiver"}}}, RunColoursUp});
const LinkActionRegistrar kDown({"serial",
                                 "colours-down",
                                 {{{"FILE", "the file the receiver's colour table is saved to"}}},
                                 RunColoursDown});

}  // namespace
}  // namespace pelorus
