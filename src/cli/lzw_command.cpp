// pelorus-cli lzw-encode: runs the firmware compressor on a stretch of a file.
#include "cli.h"
#include "lzw_cli.h"

namespace pelorus {
namespace {

int RunLzwEncode(const ParsedLine& line, CliContext&) {
  std::vector<std::string> words = {"lzw-encode"};
  words.insert(words.end(), line.Names().begin(), line.Names().end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  return RunLzwEncodeCommand(static_cast<int>(argv.size()), argv.data());
}

const CliCommandRegistrar kLzwEncode({"lzw-encode",
                                      {{{"OUT", "the file the compressed bytes are written to"},
                                        {"IN", "the file to compress"},
                                        {"MAXLEN", "how many bytes of IN to compress at most"},
                                        {"OFFSET", "where in IN to start"}}},
                                      RunLzwEncode});

}  // namespace
}  // namespace pelorus
