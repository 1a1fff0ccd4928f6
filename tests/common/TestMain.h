#pragma once
// A QTest main that runs the tests inside the program's own application object,
// so failures escaping handlers end in the error box as in the program.

#include "app/Application.h"

#include <QTest>

#define KUVARO_TEST_MAIN(TestObject)                                                                                   \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        TApplication app(argc, argv);                                                                                  \
        kuvaro::initPlatform();                                                                                        \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
