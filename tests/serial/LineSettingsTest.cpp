#include "serial/LineSettings.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using veld::serial::LineSettings;
using veld::serial::parseLineSettings;
using P = QSerialPort;

TEST(serial_LineSettings, EachParityAndStopBitsInEitherCaseAreTaken) {
    const std::pair<QString, LineSettings> rows[] = {
        {u"19200,n,8,1"_s, {19200, P::NoParity, P::Data8, P::OneStop}},
        {u"110,e,7,2"_s, {110, P::EvenParity, P::Data7, P::TwoStop}},
        {u"38400,O,5,1.5"_s, {38400, P::OddParity, P::Data5, P::OneAndHalfStop}},
        {u"57600,m,6,1"_s, {57600, P::MarkParity, P::Data6, P::OneStop}},
        {u"256000,S,8,2"_s, {256000, P::SpaceParity, P::Data8, P::TwoStop}}};
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(parseLineSettings(text), expected) << text.toStdString();
}

TEST(serial_LineSettings, AnythingElseIsRefused) {
    for (const QString& text :
         {u""_s, u"9600"_s, u"9600,n,8"_s, u"9600,n,8,1,"_s, u"9601,n,8,1"_s, u"0,n,8,1"_s,
          u"abc,n,8,1"_s, u"+9600,n,8,1"_s, u"512000,n,8,1"_s, u"9600,x,8,1"_s, u"9600,none,8,1"_s,
          u"9600,n,4,1"_s, u"9600,n,9,1"_s, u"9600,n,8,3"_s, u"9600,n,8,0"_s, u"9600, n,8,1"_s,
          u"9600;n;8;1"_s, u"99999999999999999999,n,8,1"_s, u"\u0669\u0666\u0660\u0660,n,8,1"_s})
        EXPECT_FALSE(parseLineSettings(text)) << text.toStdString();
}
