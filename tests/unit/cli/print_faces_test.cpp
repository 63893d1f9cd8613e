// The printout's faces: the layout places right-aligned columns at fixed fractions of the page,
// measured with Arial's metrics, so a wider stand-in face runs the columns into each other. The
// PDF of a list with every column at its widest is read back with poppler's tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::MakeChannel;

struct Word {
  double xMin, xMax;
  std::string text;
};

std::string Output(const std::string& command) {
  std::string text;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    pclose(pipe);
  }
  return text;
}

bool HavePoppler() { return std::system("command -v pdffonts pdftotext >/dev/null 2>&1") == 0; }

// Words of the PDF's first page by text line (words at one height), left to right.
std::vector<std::vector<Word>> LinesOf(const std::string& pdf) {
  const std::string xhtml = Output("pdftotext -f 1 -l 1 -bbox '" + pdf + "' - 2>/dev/null");
  const std::regex word(
      R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="[0-9.]+">([^<]*)</word>)re");
  std::map<long, std::vector<Word>> byHeight;
  for (auto it = std::sregex_iterator(xhtml.begin(), xhtml.end(), word);
       it != std::sregex_iterator(); ++it) {
    const auto& m = *it;
    byHeight[std::lround(std::stod(m[2]))].push_back({std::stod(m[1]), std::stod(m[3]), m[4]});
  }
  std::vector<std::vector<Word>> lines;
  for (auto& [height, words] : byHeight) {
    std::sort(words.begin(), words.end(),
              [](const Word& a, const Word& b) { return a.xMin < b.xMin; });
    lines.push_back(words);
  }
  return lines;
}

TEST(PrintFaces, WidestColumnsKeepApartInTheArialStandIn) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils (pdffonts, pdftotext) is not installed";
  testing::TempDir dir;
  std::vector<ChannelRecord> records{MakeChannel("Hot Bird 13.0E Eutelsat Sat", 0)};
  for (int i = 0; i < 40; ++i) {
    // No blank in the name, so every cell of a row is one word of the PDF's text.
    ChannelRecord record = MakeChannel("DeutschesMusikfernsehen1", 12750);
    record.symbolRate = 45000;
    record.fecCode = i % 2 == 0 ? 0 : 9;  // "Auto" and "?9"
    record.acqBandwidth = 255;
    record.polarity = 1;
    record.videoPid = 0x1FFF - 1;
    record.audioPid = 0x1FFF;
    record.modeFlags = 0x13;  // NTSC, 12v
    records.push_back(record);
  }
  const std::string input = dir.File("wide.dvb");
  const std::string pdf = dir.File("wide.pdf");
  testing::WriteBytes(input, testing::FileBytes(records));
  const std::string print = std::string("ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen ") +
                            PELORUS_BINARY_DIR "/src/cli/pelorus-cli print '" + input + "' '" +
                            pdf + "' 2>/dev/null";
  ASSERT_EQ(std::system(print.c_str()), 0);

  const std::string fonts = Output("pdffonts '" + pdf + "' 2>/dev/null");
  EXPECT_NE(fonts.find("LiberationSans-Bold"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("LiberationSans "), std::string::npos) << fonts;
  EXPECT_EQ(fonts.find("DejaVu"), std::string::npos) << fonts;

  const std::vector<std::string> headers = {"No.", "Channel", "Frequency", "SR",    "FEC", "BW",
                                            "POL", "VPID",    "APID",      "Video", "12v"};
  int headerLines = 0;
  int rowLines = 0;
  for (const auto& line : LinesOf(pdf)) {
    for (size_t i = 1; i < line.size(); ++i) {
      EXPECT_LT(line[i - 1].xMax, line[i].xMin)
          << "\"" << line[i - 1].text << "\" runs into \"" << line[i].text << "\"";
    }
    if (line.front().text == "No.") {
      ++headerLines;
      std::vector<std::string> texts;
      for (const Word& word : line) texts.push_back(word.text);
      EXPECT_EQ(texts, headers);
    } else if (line.size() > 1 && line[1].text == "DeutschesMusikfernsehen1") {
      ++rowLines;
      EXPECT_EQ(line.size(), 11u) << "cells ran together in row " << line.front().text;
    }
  }
  EXPECT_EQ(headerLines, 1);
  EXPECT_EQ(rowLines, 40);
}

}  // namespace
}  // namespace pelorus
