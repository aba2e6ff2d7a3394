#pragma once

#include "protocol/Frame.h"
#include "protocol/ReceiveDecoder.h"

#include <span>
#include <string>
#include <string_view>

namespace veld::protocol {

// How the wire reads in words, for the module's log, veldctl and the panel.

// h:mm:ss, hours without a leading zero: 9:07:05.
std::string timeText(int hours, int minutes, int seconds);

// Display characters in double quotes; bytes outside printable ASCII as \xNN.
std::string quotedText(std::string_view characters);

// A command frame in words: "display text \"    12\"", "set clock 14:05:09",
// "decimal point off"; "unknown code 07" for a frame of no command.
std::string describeCommand(const Bytes& frame);

// A message of the module in words: "button 1", "temperature -12 C",
// "time stamp 9:07:05"; "message code 07" for a code it does not send.
std::string describeMessage(const Bytes& message);

// What the panel's poll makes of the bytes of one read: the message it
// decodes in words, and what it drops ("button 1; second message in the same
// read: dropped undecoded"), or why nothing took effect ("unknown code 0x07:
// dropped", "four bytes of a time stamp: dropped").
std::string describeRead(std::span<const std::uint8_t> read);

// A decoded message as one line of veldctl watch: "button 1", "temp -10",
// "count", "count-reset", "time 9:07:05".
std::string messageLine(const ModuleMessage& message);

} // namespace veld::protocol
