#pragma once

#include "protocol/Frame.h"
#include "tools/FrameParser.h"

#include <cstdint>
#include <span>
#include <string>

namespace veld::tools {

// "FE 03 20 31 FF": each byte as two upper-case hex digits, blank-separated.
std::string hexText(std::span<const std::uint8_t> bytes);
std::string hexText(const protocol::Bytes& bytes);
std::string hexText(const ReceivedFrame& frame); // the frame as it was on the wire

// Display characters in double quotes; bytes outside printable ASCII as \xNN.
std::string quotedText(const std::string& characters);

// A command frame in words: "display text \"    12\"", "set clock 14:05:09".
std::string describeFrame(const ReceivedFrame& frame);

// A message of the module's own in words: "button 1", "temperature -12 C".
std::string describeMessage(const protocol::Bytes& message);

} // namespace veld::tools
