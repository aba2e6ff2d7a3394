#pragma once

#include "protocol/Frame.h"
#include "protocol/ReadDecoder.h"
#include "protocol/ReceiveDecoder.h"

#include <span>
#include <string>
#include <string_view>

namespace veld::protocol {

// How the wire reads in words, for the module's log, veldctl and the panel.

// The number with a "0" put in front below 10: 05, 42.
std::string twoDigits(int value);

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

// What the panel's poll made of one read: each message in words, then what
// was skipped and what waits for the next read ("button 1; counter event;
// three bytes skipped", "four bytes of a time stamp held for the next read").
std::string describeRead(const DecodedRead& read);

// A decoded message as one line of veldctl watch: "button 1", "temp -10",
// "count", "count-reset", "time 9:07:05".
std::string messageLine(const ModuleMessage& message);

} // namespace veld::protocol
