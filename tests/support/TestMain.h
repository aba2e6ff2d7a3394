#pragma once

#include <QObject>

namespace veld::test {

// Runs a Qt Test object on the offscreen platform with a settings folder
// ($XDG_CONFIG_HOME) of its own, removed afterwards.
int runQtTest(int argc, char** argv, QObject* (*makeTest)());

} // namespace veld::test

#define VELD_QTEST_MAIN(TestClass)                                                                 \
    int main(int argc, char** argv) {                                                              \
        return veld::test::runQtTest(argc, argv, []() -> QObject* { return new TestClass; });      \
    }
