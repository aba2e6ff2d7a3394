// The panel's and the virtual module's command lines, run without a display
// (QT_QPA_PLATFORM unset too): what ends each at once and how it says so.
#include <QProcess>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The program, its arguments, the start of what it says on standard output,
// then on standard error ("" for nothing), and its exit status.
TEST(common_CommandLine, EndsAtOnceSayingWhyOrWhatWasAsked) {
    const char *veld = VELD_PANEL_PROGRAM, *module = VELD_MODULE_PROGRAM;
    // clang-format off
    const struct { const char* program; QStringList args; const char *out, *err; int status; } rows[] = {
        {veld, {}, "", "veld: no display: DISPLAY and WAYLAND_DISPLAY are unset\n", 1},
        {veld, {u"--bogus"_s}, "", "veld: Unknown option 'bogus'.\n\nUsage: ", 1},
        {veld, {u"--com"_s, u"6"_s}, "", "veld: --com takes a port number from 1 to 5\n", 1},
        {veld, {u"--version"_s}, "VELD " VELD_VERSION "\n", "", 0},
        {module, {}, "", "veld-module: no display: use --headless\n", 1},
        {module, {u"--bogus"_s}, "", "veld-module: Unknown option 'bogus'.\n\nUsage: ", 1},
        {module, {u"--help"_s}, "Usage: ", "", 0},
        {module, {u"--version"_s}, "veld-module " VELD_VERSION "\n", "", 0}};
    // clang-format on
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        environment.remove(name);
    for (const auto& [program, args, out, err, status] : rows) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QString::fromUtf8(program), args);
        ASSERT_TRUE(process.waitForFinished(5000));
        EXPECT_EQ(std::tuple(process.exitStatus(), process.exitCode()),
                  std::tuple(QProcess::NormalExit, status));
        const QByteArray said = process.readAllStandardOutput(),
                         errors = process.readAllStandardError();
        EXPECT_TRUE(said.startsWith(out) && errors.startsWith(err) &&
                    (*out != 0) == !said.isEmpty() && (*err != 0) == !errors.isEmpty())
            << said.constData() << errors.constData();
    }
}
