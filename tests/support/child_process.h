#pragma once

// Tests that need a second process run their own program again: "--child" followed by the
// child's arguments runs the child routine instead of the tests.

#include <QtTest>

#include <cstdio>

namespace qm::test {

inline void startChild(QProcess& process, const QStringList& arguments)
{
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments(QStringList{QStringLiteral("--child")} + arguments);
    process.start();
}

// Runs a child to its end: its exit code (-1 when it did not end by itself), a blank, and what it
// wrote to its standard output, trimmed.
inline QString runChild(const QStringList& arguments,
                        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    startChild(process, arguments);
    if (!process.waitForFinished(60000))
        process.kill();
    const int exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::number(exitCode) + QLatin1Char(' ') + QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// Writes a child's report where the parent reads it.
inline void report(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace qm::test

// main() of a test program with children: `child` takes the child's arguments and returns its
// exit code.
#define QM_TEST_MAIN_WITH_CHILD(TestObject, child)                                             \
    int main(int argc, char* argv[])                                                           \
    {                                                                                          \
        QCoreApplication app(argc, argv);                                                      \
        const QStringList arguments = QCoreApplication::arguments();                           \
        if (arguments.size() > 1 && arguments.at(1) == QLatin1String("--child"))               \
            return child(arguments.mid(2));                                                    \
        TestObject test;                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                             \
        return QTest::qExec(&test, argc, argv);                                                \
    }
