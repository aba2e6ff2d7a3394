// Pictures of the window on the offscreen platform, written to the build
// folder for people to look at: as laid out, and with every label filled in
// the way the panel fills them while it runs. Nothing is compared against a
// stored image; the checks only make sure that the pictures were written.

#include "app/frmVELD.h"
#include "support/TestMain.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

class ScreenshotTest : public QObject {
    Q_OBJECT

private:
    static QString save(QWidget& window, const QString& fileName) {
        const QDir dir(QStringLiteral(VELD_SCREENSHOT_DIR));
        if (!dir.mkpath(u"."_s))
            return {};
        const QString path = dir.filePath(fileName);
        const QPixmap picture = window.grab();
        if (picture.isNull() || !picture.save(path))
            return {};
        return path;
    }

    static void check(const QString& path, const QWidget& window) {
        QVERIFY2(!path.isEmpty(), "the picture could not be written");
        const QImage written(path);
        QVERIFY(!written.isNull());
        QCOMPARE(written.size(), window.size() * window.devicePixelRatio());
        qInfo("%s", qPrintable(path));
    }

private slots:
    void asLaidOut() {
        veld::app::frmVELD window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        check(save(window, u"veld.png"_s), window);
    }

    void withEveryLabelFilledIn() {
        veld::app::frmVELD window;
        const veld::ui::Controls& c = window.controls();
        window.setClock([] { return QTime(23, 59, 58); });
        window.Timer1_Timer();
        for (const QString& name : {u"lblButton1"_s, u"lblButton2"_s, u"lblButton3"_s})
            c.label(name)->setVisible(true);
        c.label(u"lblHour"_s)->setText(u"23"_s);
        c.label(u"lblMin"_s)->setText(u"59"_s);
        c.label(u"lblSec"_s)->setText(u"58"_s);
        c.textBox(u"txtDigit"_s)->setText(u"8888.8"_s);
        c.textBox(u"txtCDHour"_s)->setText(u"255"_s);
        c.textBox(u"txtCDMin"_s)->setText(u"59"_s);
        c.textBox(u"txtCDSec"_s)->setText(u"59"_s);
        c.option(u"optDP3"_s)->click();
        c.option(u"optFAH"_s)->click();
        c.option(u"optCountDis"_s)->click();
        c.label(u"lblTemp"_s)->setText(u"-104"_s);
        c.label(u"lblCounter"_s)->setText(u"32767"_s);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        check(save(window, u"veld-filled.png"_s), window);
    }
};

VELD_QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
