#pragma once
// A QTest main for the tests of pure code: a plain QGuiApplication (pictures
// and fonts need Qt Gui), no window, none of the program's windows linked in.

#include <QGuiApplication>
#include <QLocale>
#include <QTest>

#define KUVARO_CORE_TEST_MAIN(TestObject)                                                                              \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        QGuiApplication app(argc, argv);                                                                               \
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));                                               \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
