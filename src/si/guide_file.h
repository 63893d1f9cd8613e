#pragma once

#include <string>

#include "common/ui.h"
#include "si/guide.h"

namespace pelorus {

enum class GuideFormat { kText, kXmltv };

// The guide's file in either form, built under the guide's lock.
std::string GuideFileContents(const Guide& guide, GuideFormat format);

// Writes the file atomically; "Unable to open file for output" (information) when it cannot.
bool WriteGuideFile(const Guide& guide, GuideFormat format, const std::string& path, Ui& ui);

// "Scrivi in File..." / "Scrivi XMLTV...": asks for the file, starting in (and remembering)
// `folder`, then writes it. False when cancelled or when writing failed.
bool SaveGuide(const Guide& guide, GuideFormat format, Ui& ui, std::string& folder);

}  // namespace pelorus
