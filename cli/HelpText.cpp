#include "cli/HelpText.h"

#include <QStringList>

namespace veld::cli {

using namespace Qt::StringLiterals;

namespace {
struct CommandText {
    const char16_t* name;
    const char16_t* arguments;
    const char16_t* summary;
    const char16_t* details;
};

constexpr CommandText kCommands[] = {
    {u"text", u"TEXT", u"show up to six characters, right-aligned",
     u"Shows TEXT on the six digits as \"Send ASCII\" does: right-aligned, with spaces in\n"
     u"front, so that its last character lands on the sixth digit. The module shows\n"
     u"0-9 A b C c d E F H h I J L n o P r S U u y - and space; other characters, a\n"
     u"period too, are sent unchanged ('dp' lights a decimal point). More than six\n"
     u"characters, or an empty TEXT, is a usage error; 'text \" \"' blanks the display.\n"
     u"Sends FE 03 and six characters, then FF; '12' sends FE 03 20 20 20 20 31 32 FF."},
    {u"dp", u"N", u"light decimal point N (1 to 6), or none (0)",
     u"Lights the decimal point of digit N, 1 (leftmost) to 6, or none with 0, as\n"
     u"\"Set Decimal Point\" does.\n"
     u"Sends FE 13 N FF."},
    {u"flash", u"", u"toggle flashing of the display",
     u"Switches the display's flashing on when it is off and off when it is on.\n"
     u"Sends FE FC FF."},
    {u"buzzer", u"on|off", u"switch the buzzer", u"Sends FE FA FF (on) or FE FB FF (off)."},
    {u"output", u"1|2 on|off", u"switch output 1 or 2",
     u"Sends FE F9 FF / FE F8 FF for output 1 on / off, FE F6 FF / FE F5 FF for output 2."},
    {u"clock", u"", u"set the module's clock to this computer's time",
     u"Sets the module's real-time clock to the local time of day, as \"Set Current\n"
     u"Time\" does.\n"
     u"Sends FE 10 ss mm hh FF: seconds, minutes, hours (0 to 23), one byte each."},
    {u"countdown", u"H M S", u"set the countdown interval",
     u"Sets the countdown interval to H hours, M minutes and S seconds, as \"Set\n"
     u"Interval\" does. Each is a plain decimal number ('.' before a fraction),\n"
     u"rounded to a whole number, an exact half to the even neighbour; minutes and\n"
     u"seconds are not checked against 59. Anything else is refused with \"Please Key\n"
     u"In Numeric Value\"; a value below 0 or above 255 with \"Please Key In Values\n"
     u"From 0 To 255\" (usage errors). 'start-stop' then starts it.\n"
     u"Sends FE 01 ss mm hh FF; '1 30 0' sends FE 01 00 1E 01 FF."},
    {u"start-stop", u"", u"start or stop the countdown",
     u"Starts the countdown when it is stopped and stops it when it runs.\n"
     u"Sends FE 11 FF."},
    {u"countdown-reset", u"", u"reset the countdown to its interval", u"Sends FE 21 FF."},
    {u"counter", u"on|off", u"enable or disable the event counter",
     u"While enabled the module counts events on its counter input and reports each\n"
     u"one ('watch' prints them).\n"
     u"Sends FE 05 FF (on) or FE 15 FF (off)."},
    {u"startup", u"F1..F6", u"choose the function the module starts in",
     u"F1 real-time clock, F2 countdown timer, F3 temperature, F4 temperature and\n"
     u"time, F5 counter, F6 display mode; the items of the panel's \"Startup\n"
     u"Function\" menu.\n"
     u"Sends FE 90 b FF with b = 00, 01, 04, 06, 05, 03 for F1 to F6."},
    {u"module-speed", u"BPS", u"tell the module its line speed",
     u"Tells the module to talk at BPS bit/s from now on: 1200, 2400, 4800, 9600 or\n"
     u"19200. Later commands need --speed BPS (or the panel's speed set to match).\n"
     u"Sends FE 80 b FF with b = AB, 55, 2B, 15, 0B for 1200 to 19200."},
    {u"time", u"", u"print the module's time",
     u"Asks the module for its time and prints the answer as h:mm:ss (9:07:05).\n"
     u"Exit status 3 when no answer comes within --timeout.\n"
     u"Sends FE F7 FF; the module answers FE 01 ss mm hh FF."},
    {u"temp", u"[--fahrenheit]", u"print the module's temperature",
     u"Asks the module for its temperature and prints it as a whole number in\n"
     u"degrees Celsius (25, -10), or Fahrenheit with --fahrenheit (77, 14), as the\n"
     u"panel shows it. A below-zero answer of magnitude 0 prints 0 (the panel shows\n"
     u"-0). Exit status 3 when no answer comes within --timeout.\n"
     u"Sends FE 04 FF; the module answers FE 04 t FF, or FE 06 t FF below zero."},
    {u"watch", u"[--json]", u"print each message from the module until interrupted",
     u"Prints one line per message from the module, each at once, until Ctrl+C or\n"
     u"SIGTERM (the port is closed, then veldctl ends by that signal) or until the\n"
     u"reader of its output goes away (exit status 0):\n"
     u"  button N       a button was pressed, N = 1, 2 or 3 (0: no single button)\n"
     u"  temp T         a temperature, degrees Celsius\n"
     u"  count          one counter event\n"
     u"  count-reset    the counter was reset\n"
     u"  time H:MM:SS   a time stamp\n"
     u"With --json one object per line instead, for example\n"
     u"  {\"event\":\"button\",\"button\":1}\n"
     u"  {\"event\":\"temp\",\"celsius\":-10,\"fahrenheit\":14}\n"
     u"  {\"event\":\"count\"}  {\"event\":\"count-reset\"}\n"
     u"  {\"event\":\"time\",\"hours\":9,\"minutes\":7,\"seconds\":5,\"text\":\"9:07:05\"}\n"
     u"Bytes that form no message are skipped. Sends nothing."},
    {u"help", u"[COMMAND]", u"explain veldctl, or one command",
     u"Prints what veldctl --help prints, or what one command does and sends."},
};

const CommandText* find(const QString& name) {
    for (const CommandText& c : kCommands)
        if (name == QStringView(c.name))
            return &c;
    return nullptr;
}

QString synopsis(const CommandText& c) {
    const QString arguments = QString::fromUtf16(c.arguments);
    return QString::fromUtf16(c.name) + (arguments.isEmpty() ? QString() : u' ' + arguments);
}
} // namespace

QString usageOf(const QString& command) {
    if (const CommandText* c = find(command))
        return u"Usage: veldctl [OPTIONS] "_s + synopsis(*c);
    return u"Usage: veldctl [--port DEVICE | --com N] [--speed BPS] [--timeout MS] COMMAND "
           u"[ARGS]"_s;
}

QString generalHelp() {
    QStringList lines{
        usageOf({}),
        {},
        u"Drives a VELD six-digit serial display module from the shell. Each command"_s,
        u"sends the frame that the VELD Panel sends for the same action."_s,
        {},
        u"Commands:"_s,
    };
    for (const CommandText& c : kCommands)
        lines << u"  %1 %2"_s.arg(synopsis(c), -22).arg(QString::fromUtf16(c.summary));
    lines << QString() << u"Options (before the command):"_s
          << u"  --port DEVICE   the serial device, a path such as /dev/ttyUSB0"_s
          << u"  --com N         COMn (1 to 5) as the panel maps it: $VELD_COMn, else key COMn"_s
          << u"                  of group Ports in the settings, else /dev/ttyS(n-1)"_s
          << u"  --speed BPS     line speed in bit/s (8 data bits, no parity, 1 stop bit)"_s
          << u"  --timeout MS    how long time and temp wait for the answer (default 1000)"_s
          << u"  -h, --help      this text; 'veldctl help COMMAND' explains one command"_s
          << u"  --version       the version"_s << QString()
          << u"Without --port or --com the panel's stored port (CommPort) is used; without"_s
          << u"--speed its stored line settings, else 9600 bit/s. The panel's settings are"_s
          << u"only read ($XDG_CONFIG_HOME/VELD/VELD.conf)."_s << QString()
          << u"Exit status: 0 done; 1 usage error; 2 the port cannot be opened (or is lost);"_s
          << u"3 no answer within --timeout (time, temp)."_s;
    return lines.join(u'\n') + u'\n';
}

QString commandHelp(const QString& command) {
    const CommandText* c = find(command);
    if (!c)
        return {};
    return usageOf(command) + u"\n\n"_s + QString::fromUtf16(c->details) + u'\n';
}

} // namespace veld::cli
