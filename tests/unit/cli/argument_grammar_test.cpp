// The parser every command line goes through: values and flags, names counted, the faults each
// named, and the usage and help drawn from the same declaration.
#include "qtcore/argument_grammar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelorus {
namespace {

bool IsLink(std::string_view word) { return word.starts_with("sim:"); }

const CommandLine kLine{{{"IN", "the input"}, {"OUT", "the output", true}},
                        {{"--rows", "LIST", "the rows"},
                         {"--by", "KEY", "the key", true},
                         {"--decimal", nullptr, "in decimal"},
                         {"--scsi", "sim:PATH", "the link", false, IsLink}}};

LineResult Parse(const CommandLine& line, std::vector<std::string> words) {
  return ParseArguments(line, words);
}

TEST(CommandLine, ValuesFlagsAndNamesInAnyOrder) {
  const LineResult result =
      Parse(kLine, {"--by", "name", "a.dvb", "--rows=1-3", "b.dvb", "--decimal"});
  ASSERT_EQ(result.fault, LineFault::kNone) << result.subject;
  EXPECT_EQ(result.parsed.Names(), (std::vector<std::string>{"a.dvb", "b.dvb"}));
  EXPECT_EQ(*result.parsed.Value("--by"), "name");
  EXPECT_EQ(*result.parsed.Value("--rows"), "1-3");
  EXPECT_TRUE(result.parsed.Has("--decimal"));
  EXPECT_FALSE(result.parsed.Has("--scsi"));
  EXPECT_EQ(result.parsed.Value("--scsi"), nullptr);

  // A word with one dash is a name, and a value is the next word whatever it looks like.
  const LineResult dashes = Parse(kLine, {"-", "-5", "--by", "--decimal"});
  ASSERT_EQ(dashes.fault, LineFault::kNone) << dashes.subject;
  EXPECT_EQ(dashes.parsed.Names(), (std::vector<std::string>{"-", "-5"}));
  EXPECT_EQ(*dashes.parsed.Value("--by"), "--decimal");
  EXPECT_FALSE(dashes.parsed.Has("--decimal"));

  // "--" ends the options: what follows is a name even when it begins with dashes.
  const LineResult ended = Parse(kLine, {"--by", "sid", "--", "--rows", "--decimal"});
  ASSERT_EQ(ended.fault, LineFault::kNone) << ended.subject;
  EXPECT_EQ(ended.parsed.Names(), (std::vector<std::string>{"--rows", "--decimal"}));
  EXPECT_FALSE(ended.parsed.Has("--rows"));
}

TEST(CommandLine, AnOptionalValueIsTakenOnlyWhenItFits) {
  const LineResult with = Parse(kLine, {"--scsi", "sim:/tmp/x", "a.jpg", "--by", "k"});
  ASSERT_EQ(with.fault, LineFault::kNone);
  EXPECT_EQ(*with.parsed.Value("--scsi"), "sim:/tmp/x");
  EXPECT_EQ(with.parsed.Names(), std::vector<std::string>{"a.jpg"});

  const LineResult without = Parse(kLine, {"--scsi", "a.jpg", "--by", "k"});
  ASSERT_EQ(without.fault, LineFault::kNone);
  EXPECT_TRUE(without.parsed.Has("--scsi"));
  EXPECT_EQ(*without.parsed.Value("--scsi"), "");
  EXPECT_EQ(without.parsed.Names(), std::vector<std::string>{"a.jpg"});

  const LineResult last = Parse(kLine, {"a.jpg", "--by", "k", "--scsi"});
  ASSERT_EQ(last.fault, LineFault::kNone);
  EXPECT_TRUE(last.parsed.Has("--scsi"));
}

TEST(CommandLine, EachFaultIsNamed) {
  struct Case {
    std::vector<std::string> words;
    LineFault fault;
    std::string subject;
  };
  const std::vector<Case> cases = {
      {{"a", "--by", "k", "--rows"}, LineFault::kMissingValue, "--rows"},
      {{"a", "--by", "k", "--rows", "1", "--rows", "2"}, LineFault::kRepeatedOption, "--rows"},
      {{"a", "--by", "k", "--colour"}, LineFault::kUnknownOption, "--colour"},
      {{"a", "--by", "k", "--colour=red"}, LineFault::kUnknownOption, "--colour"},
      {{"a", "--by", "k", "--decimal=1"}, LineFault::kUnexpectedValue, "--decimal"},
      {{"a", "--by", ""}, LineFault::kEmptyValue, "--by"},
      {{"a", "--rows="}, LineFault::kEmptyValue, "--rows"},
      {{"a", "b"}, LineFault::kMissingOption, "--by"},
      {{"--by", "k"}, LineFault::kNameCount, ""},
      {{"a", "b", "c", "--by", "k"}, LineFault::kNameCount, ""},
  };
  for (const Case& c : cases) {
    const LineResult result = Parse(kLine, c.words);
    EXPECT_EQ(result.fault, c.fault) << c.words.back();
    EXPECT_EQ(result.subject, c.subject) << c.words.back();
  }
  // A flag may be given twice: it says the same thing.
  EXPECT_EQ(Parse(kLine, {"a", "--by", "k", "--decimal", "--decimal"}).fault, LineFault::kNone);
  EXPECT_EQ(DescribeFault(LineFault::kUnknownOption, "--colour"), "unknown option '--colour'");
  EXPECT_EQ(DescribeFault(LineFault::kMissingValue, "--rows"), "option '--rows' needs a value");
}

TEST(CommandLine, RepeatedNamesTakeOneOrMore) {
  const CommandLine line{{{"OUT"}, {"IN", "", false, true}}};
  EXPECT_EQ(Parse(line, {"o"}).fault, LineFault::kNameCount);
  EXPECT_EQ(Parse(line, {"o", "a"}).fault, LineFault::kNone);
  EXPECT_EQ(Parse(line, {"o", "a", "b", "c"}).parsed.Names().size(), 4u);
  EXPECT_EQ(Synopsis(line), "OUT IN...");
}

TEST(CommandLine, TheLeadingNameMayFollowOnlyTheGivenOptions) {
  const std::vector<OptionWord> link = {{"--port", "PATH"}};
  const std::vector<std::string> words = {"--port", "/dev/x", "scan", "--lnb", "c", "--port"};
  const LeadingName found = FindLeadingName(link, words);
  EXPECT_EQ(found.fault, LineFault::kNone);
  EXPECT_EQ(found.index, 2u);

  const std::vector<std::string> unknown = {"--lnb", "c", "scan"};
  const LeadingName refused = FindLeadingName(link, unknown);
  EXPECT_EQ(refused.fault, LineFault::kUnknownOption);
  EXPECT_EQ(refused.subject, "--lnb");

  const std::vector<std::string> none = {"--port", "/dev/x"};
  EXPECT_EQ(FindLeadingName(link, none).index, none.size());
  const std::vector<std::string> dashed = {"--", "--odd"};
  EXPECT_EQ(FindLeadingName(link, dashed).index, 1u);
}

TEST(CommandLine, UsageAndHelpComeFromTheDeclaration) {
  EXPECT_EQ(Synopsis(kLine), "IN [OUT] [--rows LIST] --by KEY [--decimal] [--scsi [sim:PATH]]");
  EXPECT_EQ(OptionHelp(kLine),
            "  IN                 the input\n"
            "  OUT                the output\n"
            "  --rows LIST        the rows\n"
            "  --by KEY           the key\n"
            "  --decimal          in decimal\n"
            "  --scsi [sim:PATH]  the link\n");
}

}  // namespace
}  // namespace pelorus
