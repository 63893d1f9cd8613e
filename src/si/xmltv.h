#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "si/dvb_text.h"
#include "si/guide.h"

namespace pelorus {

// The text with &, <, >, " and ' written as entities and every character XML forbids left out.
std::string XmlEscape(std::string_view utf8);

// "YYYYMMDDhhmmss +0000" of a UTC time.
std::string XmltvTime(std::time_t utc);

// The channel id of a service: original network, transport stream and service ids.
std::string XmltvChannelId(const ServiceEntry& service);

// The whole guide as an XMLTV document: one channel per service, then one programme per event.
std::string GuideXmltv(const std::map<uint16_t, ServiceEntry>& services);

}  // namespace pelorus
