// pelorus-cli lzw-encode: runs the firmware compressor on a stretch of a file.
#include "cli.h"
#include "lzw_cli.h"

namespace pelorus {
namespace {

int RunLzwEncode(const std::vector<std::string>& args, CliContext&) {
  std::vector<std::string> words = {"lzw-encode"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  return RunLzwEncodeCommand(static_cast<int>(argv.size()), argv.data());
}

const CliCommandRegistrar kLzwEncode({"lzw-encode", "lzw-encode OUT IN MAXLEN OFFSET",
                                      RunLzwEncode});

}  // namespace
}  // namespace pelorus
