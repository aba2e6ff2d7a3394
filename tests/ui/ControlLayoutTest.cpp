// Every control of the window as built: class, parent, caption, geometry,
// tab position, font, colour and state at creation. The expected values are
// written out here control by control from the window's design, independent
// of the layout table, so that a slip in the table shows up as a failure.

#include "app/frmVELD.h"
#include "support/TestMain.h"
#include "ui/LayoutTable.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <array>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

enum class Kind { Frame, Label, Button, Option, TextBox };
enum class Align { Left, Centre };

struct Font {
    const char16_t* family = nullptr; // nullptr: the window's font
    double points = 0;
    bool bold = false;
};

struct Expected {
    const char16_t* name = u"";
    Kind kind = Kind::Label;
    const char16_t* parent = u""; // empty: the window's client area
    const char16_t* caption = u"";
    // Twips, relative to the parent's outer corner.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int tab = 0;
    Font font = {};
    std::optional<QColor> colour = std::nullopt; // nullopt: default text colour
    Align align = Align::Left;
    bool border = false;
    bool enabled = true;
    bool visible = true;
    int maxLength = 0; // text boxes; 0: no limit
};

constexpr Font kButtonLabel{u"Tahoma", 9.75, true};
constexpr Font kTimeStamp{u"Tahoma", 12, true};
const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kDarkBlue(0, 0, 192);

using enum Kind;

// clang-format off
const std::array kExpected = std::to_array<Expected>({
    {.name = u"Frame1", .kind = Frame, .caption = u"Serial Display", .left = 360, .top = 360, .width = 10215, .height = 2055, .tab = 1},
    {.name = u"Frame2", .kind = Frame, .caption = u"Real Time Clock", .left = 360, .top = 2640, .width = 4935, .height = 1575, .tab = 5},
    {.name = u"Frame4", .kind = Frame, .caption = u"Count Down Timer", .left = 5520, .top = 2640, .width = 4935, .height = 1575, .tab = 22},
    {.name = u"Frame3", .kind = Frame, .caption = u"Thermometer", .left = 360, .top = 4320, .width = 9015, .height = 1215, .tab = 16},
    {.name = u"Frame6", .kind = Frame, .caption = u"Event Counter", .left = 360, .top = 5760, .width = 4935, .height = 1455, .tab = 32},

    {.name = u"lblserial", .kind = Label, .parent = u"Frame1", .caption = u"Key in ASCII characters to be displayed. (MAX 6).", .left = 1680, .top = 240, .width = 3615, .height = 255, .tab = 2},
    {.name = u"lblserial1", .kind = Label, .parent = u"Frame1", .caption = u"Valid Characters are 0 to 9, A,b,C,c,d,E,F,H,h,I,J,L,n,o,P,r,S,U,u,y,- and SPACE", .left = 1560, .top = 600, .width = 3735, .height = 495, .tab = 3},
    {.name = u"cmdSendAscii", .kind = Button, .parent = u"Frame1", .caption = u"Send ASCII", .left = 5400, .top = 240, .width = 1215, .height = 495, .tab = 4},
    {.name = u"cmdSetDP", .kind = Button, .parent = u"Frame1", .caption = u"Set Decimal Point", .left = 5400, .top = 840, .width = 1215, .height = 495, .tab = 45},
    {.name = u"optDP1", .kind = Option, .parent = u"Frame1", .caption = u"Decimal Point 1", .left = 6960, .top = 240, .width = 1695, .height = 255, .tab = 11},
    {.name = u"optDP2", .kind = Option, .parent = u"Frame1", .caption = u"Decimal Point 2", .left = 8640, .top = 240, .width = 1455, .height = 255, .tab = 10},
    {.name = u"optDP3", .kind = Option, .parent = u"Frame1", .caption = u"Decimal Point 3", .left = 6960, .top = 600, .width = 1455, .height = 255, .tab = 9},
    {.name = u"optDP4", .kind = Option, .parent = u"Frame1", .caption = u"Decimal Point 4", .left = 8640, .top = 600, .width = 1455, .height = 255, .tab = 8},
    {.name = u"optDP5", .kind = Option, .parent = u"Frame1", .caption = u"Decimal Point 5", .left = 6960, .top = 960, .width = 1455, .height = 255, .tab = 46},
    {.name = u"optDP6", .kind = Option, .parent = u"Frame1", .caption = u"Decimal Point 6", .left = 8640, .top = 960, .width = 1455, .height = 255, .tab = 47},
    {.name = u"optOFFDP", .kind = Option, .parent = u"Frame1", .caption = u"OFF All Decimal Point", .left = 7560, .top = 1440, .width = 2175, .height = 255, .tab = 12},
    {.name = u"lblButton1", .kind = Label, .parent = u"Frame1", .caption = u"Button 1 Pressed", .left = 240, .top = 1440, .width = 1815, .height = 255, .tab = 36, .font = kButtonLabel, .colour = kGreen, .visible = false},
    {.name = u"lblButton2", .kind = Label, .parent = u"Frame1", .caption = u"Button 2 Pressed", .left = 2280, .top = 1440, .width = 1935, .height = 375, .tab = 37, .font = kButtonLabel, .colour = kRed, .visible = false},
    {.name = u"lblButton3", .kind = Label, .parent = u"Frame1", .caption = u"Button 3 Pressed", .left = 4320, .top = 1440, .width = 1935, .height = 375, .tab = 38, .font = kButtonLabel, .colour = kDarkBlue, .visible = false},

    {.name = u"txtDigit", .kind = TextBox, .left = 480, .top = 840, .width = 1335, .height = 495, .tab = 0, .font = {u"Tahoma", 15.75, false}, .colour = kRed, .align = Align::Centre, .maxLength = 6},

    {.name = u"lblTIME", .kind = Label, .parent = u"Frame2", .left = 360, .top = 240, .width = 1455, .height = 495, .tab = 6, .font = {u"Times New Roman", 18, false}, .colour = kDarkBlue, .align = Align::Centre, .border = true},
    {.name = u"cmdSetRTC", .kind = Button, .parent = u"Frame2", .caption = u"Set Current Time", .left = 480, .top = 840, .width = 1335, .height = 495, .tab = 7},
    {.name = u"lblHour", .kind = Label, .parent = u"Frame2", .left = 2760, .top = 360, .width = 375, .height = 255, .tab = 39, .font = kTimeStamp, .colour = kDarkBlue},
    {.name = u"Label1(0)", .kind = Label, .parent = u"Frame2", .caption = u":", .left = 3120, .top = 360, .width = 135, .height = 375, .tab = 40, .font = kTimeStamp},
    {.name = u"lblMin", .kind = Label, .parent = u"Frame2", .left = 3360, .top = 360, .width = 375, .height = 255, .tab = 41, .font = kTimeStamp, .colour = kDarkBlue},
    {.name = u"Label1(1)", .kind = Label, .parent = u"Frame2", .caption = u":", .left = 3840, .top = 360, .width = 135, .height = 375, .tab = 42, .font = kTimeStamp},
    {.name = u"lblSec", .kind = Label, .parent = u"Frame2", .left = 4080, .top = 360, .width = 495, .height = 255, .tab = 43, .font = kTimeStamp, .colour = kDarkBlue},
    {.name = u"cmdTimeStamp", .kind = Button, .parent = u"Frame2", .caption = u"Get Time Stamp", .left = 2760, .top = 840, .width = 1575, .height = 495, .tab = 44},

    {.name = u"lblcdmin", .kind = Label, .parent = u"Frame4", .caption = u"Minutes", .left = 240, .top = 720, .width = 615, .height = 255, .tab = 23},
    {.name = u"lblcdsec", .kind = Label, .parent = u"Frame4", .caption = u"Seconds", .left = 240, .top = 1080, .width = 735, .height = 255, .tab = 24},
    {.name = u"txtCDMin", .kind = TextBox, .parent = u"Frame4", .left = 960, .top = 720, .width = 375, .height = 285, .tab = 25, .maxLength = 2},
    {.name = u"txtCDSec", .kind = TextBox, .parent = u"Frame4", .left = 960, .top = 1080, .width = 375, .height = 285, .tab = 26, .maxLength = 2},
    {.name = u"cmdCDSet", .kind = Button, .parent = u"Frame4", .caption = u"Set Interval", .left = 1680, .top = 360, .width = 735, .height = 495, .tab = 27},
    {.name = u"cmdStartStop", .kind = Button, .parent = u"Frame4", .caption = u"Start/Stop", .left = 2640, .top = 360, .width = 975, .height = 495, .tab = 28, .enabled = false},
    {.name = u"cmdReset", .kind = Button, .parent = u"Frame4", .caption = u"Reset", .left = 3720, .top = 360, .width = 855, .height = 495, .tab = 29, .enabled = false},
    {.name = u"lblCDHR", .kind = Label, .parent = u"Frame4", .caption = u"Hours", .left = 240, .top = 360, .width = 615, .height = 255, .tab = 48},
    {.name = u"txtCDHour", .kind = TextBox, .parent = u"Frame4", .left = 960, .top = 360, .width = 375, .height = 285, .tab = 49},

    {.name = u"lblTemp", .kind = Label, .parent = u"Frame3", .left = 480, .top = 480, .width = 975, .height = 495, .tab = 17, .font = {u"Tahoma", 18, false}, .colour = kRed},
    {.name = u"lblUnit", .kind = Label, .parent = u"Frame3", .left = 1200, .top = 480, .width = 615, .height = 615, .tab = 18, .font = {u"Tahoma", 15.75, false}, .colour = kRed, .align = Align::Centre},
    {.name = u"cmdTemp", .kind = Button, .parent = u"Frame3", .caption = u"Show Temperature", .left = 2160, .top = 480, .width = 1335, .height = 495, .tab = 19},
    {.name = u"optCEL", .kind = Option, .parent = u"Frame3", .caption = u"Celsius", .left = 5760, .top = 360, .width = 1575, .height = 255, .tab = 20},
    {.name = u"optFAH", .kind = Option, .parent = u"Frame3", .caption = u"Fahrenheit", .left = 5760, .top = 840, .width = 1815, .height = 255, .tab = 21},

    {.name = u"optCountEn", .kind = Option, .parent = u"Frame6", .caption = u"Enable", .left = 360, .top = 480, .width = 975, .height = 255, .tab = 33},
    {.name = u"optCountDis", .kind = Option, .parent = u"Frame6", .caption = u"Disable", .left = 360, .top = 960, .width = 975, .height = 255, .tab = 34},
    {.name = u"lblCounter", .kind = Label, .parent = u"Frame6", .caption = u"0000", .left = 2520, .top = 720, .width = 855, .height = 495, .tab = 35, .font = {u"Tahoma", 15.75, false}, .colour = kRed, .align = Align::Centre},

    {.name = u"cmdFlash", .kind = Button, .caption = u"Toggle Display Flashing Mode", .left = 360, .top = 7680, .width = 1455, .height = 615, .tab = 13},
    {.name = u"cmdOnBuz", .kind = Button, .caption = u"Turn On Buzzer", .left = 2040, .top = 7680, .width = 1095, .height = 615, .tab = 14},
    {.name = u"cmdOffBuz", .kind = Button, .caption = u"Turn Off Buzzer", .left = 3360, .top = 7680, .width = 1095, .height = 615, .tab = 15},
    {.name = u"cmdOnOut", .kind = Button, .caption = u"Turn On Output 1", .left = 5040, .top = 7680, .width = 1095, .height = 615, .tab = 30},
    {.name = u"cmdOFFOut", .kind = Button, .caption = u"Turn Off Output 1", .left = 6240, .top = 7680, .width = 1095, .height = 615, .tab = 31},
    {.name = u"cmdOnOut2", .kind = Button, .caption = u"Turn On Output 2", .left = 7560, .top = 7680, .width = 1095, .height = 615, .tab = 50},
    {.name = u"cmdOffOut2", .kind = Button, .caption = u"Turn Off Output 2", .left = 8760, .top = 7680, .width = 1095, .height = 615, .tab = 51},
});
// clang-format on

QString str(const char16_t* text) {
    return QString::fromUtf16(text);
}

bool takesFocus(Kind kind) {
    return kind == Button || kind == Option || kind == TextBox;
}

// 15 twips make one device-independent pixel; every design value is a whole
// number of pixels.
int px(int twips) {
    return twips / 15;
}

const char* className(Kind kind) {
    switch (kind) {
    case Frame:
        return "QGroupBox";
    case Label:
        return "QLabel";
    case Button:
        return "QPushButton";
    case Option:
        return "QRadioButton";
    case TextBox:
        return "QLineEdit";
    }
    return "";
}

QPalette::ColorRole textRole(Kind kind) {
    switch (kind) {
    case Button:
        return QPalette::ButtonText;
    case TextBox:
        return QPalette::Text;
    default:
        return QPalette::WindowText;
    }
}

QString captionOf(const QWidget& w) {
    if (const auto* frame = qobject_cast<const QGroupBox*>(&w))
        return frame->title();
    if (const auto* label = qobject_cast<const QLabel*>(&w))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&w))
        return button->text();
    if (const auto* text = qobject_cast<const QLineEdit*>(&w))
        return text->text();
    return {};
}

std::optional<Qt::Alignment> alignmentOf(const QWidget& w) {
    if (const auto* label = qobject_cast<const QLabel*>(&w))
        return label->alignment();
    if (const auto* text = qobject_cast<const QLineEdit*>(&w))
        return text->alignment();
    return std::nullopt;
}

} // namespace

Q_DECLARE_METATYPE(Expected)

class ControlLayoutTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<veld::app::frmVELD> m_window;
    QList<QWidget*> m_focusChain; // the named focus-taking controls, from txtDigit on

    static void addRows() {
        QTest::addColumn<Expected>("expected");
        for (const Expected& e : kExpected)
            QTest::newRow(QString::fromUtf16(e.name).toUtf8().constData()) << e;
    }

    QWidget* built(const Expected& e) const { return m_window->controls().widget(str(e.name)); }

private slots:
    void initTestCase() {
        // As laid out: the window straight from its constructor, before start-up.
        m_window = std::make_unique<veld::app::frmVELD>();

        QSet<QString> focusNames;
        for (const Expected& e : kExpected)
            if (takesFocus(e.kind))
                focusNames.insert(str(e.name));
        QWidget* first = m_window->controls().widget(u"txtDigit"_s);
        QWidget* w = first;
        do {
            if (focusNames.contains(w->objectName()))
                m_focusChain.append(w);
            w = w->nextInFocusChain();
        } while (w && w != first);
    }

    void cleanupTestCase() { m_window.reset(); }

    void theWindowHasExactlyTheseControls() {
        QStringList expected;
        for (const Expected& e : kExpected)
            expected.append(str(e.name));
        QStringList actual;
        for (const QString& name : m_window->controls().names()) {
            QObject* o = m_window->controls().object(name);
            if (!qobject_cast<QMenu*>(o) && !qobject_cast<QTimer*>(o) && o->isWidgetType())
                actual.append(name);
        }
        expected.sort();
        actual.sort();
        QCOMPARE(actual, expected);
    }

    void classAndParent_data() { addRows(); }
    void classAndParent() {
        QFETCH(Expected, expected);
        QWidget* w = built(expected);
        QVERIFY2(w->inherits(className(expected.kind)), w->metaObject()->className());
        QCOMPARE(w->objectName(), str(expected.name));
        QWidget* parent = w->parentWidget();
        QVERIFY(parent);
        if (str(expected.parent).isEmpty()) {
            QCOMPARE(parent, m_window->centralWidget());
        } else {
            QCOMPARE(parent->objectName(), str(expected.parent));
            QVERIFY(qobject_cast<QGroupBox*>(parent));
            QCOMPARE(parent->parentWidget(), m_window->centralWidget());
        }
    }

    void captionOrText_data() { addRows(); }
    void captionOrText() {
        QFETCH(Expected, expected);
        QCOMPARE(captionOf(*built(expected)), str(expected.caption));
    }

    void geometryInPixels_data() { addRows(); }
    void geometryInPixels() {
        QFETCH(Expected, expected);
        const QRect want(px(expected.left), px(expected.top), px(expected.width),
                         px(expected.height));
        QCOMPARE(built(expected)->geometry(), want);
    }

    void tabPosition_data() { addRows(); }
    void tabPosition() {
        QFETCH(Expected, expected);
        // The layout table keeps every control's place, frames and labels too.
        const auto table = veld::ui::controlTable();
        const auto entry = std::ranges::find_if(table, [&](const veld::ui::ControlEntry& s) {
            const QString key =
                s.index < 0 ? s.name.toString() : u"%1(%2)"_s.arg(s.name.toString()).arg(s.index);
            return key == str(expected.name);
        });
        QVERIFY(entry != table.end());
        QCOMPARE(entry->tabIndex, expected.tab);

        QWidget* w = built(expected);
        if (!takesFocus(expected.kind)) {
            QCOMPARE(w->focusPolicy(), Qt::NoFocus);
            return;
        }
        QVERIFY(w->focusPolicy() & Qt::TabFocus);
        // In the built focus chain it stands after every control with a lower place.
        const auto before = std::ranges::count_if(kExpected, [&](const Expected& other) {
            return takesFocus(other.kind) && other.tab < expected.tab;
        });
        QCOMPARE(m_focusChain.indexOf(w), before);
    }

    void font_data() { addRows(); }
    void font() {
        QFETCH(Expected, expected);
        const QFont f = built(expected)->font();
        if (!expected.font.family) {
            const QFont windowFont = m_window->font();
            QCOMPARE(f.family(), windowFont.family());
            QCOMPARE(f.pointSizeF(), windowFont.pointSizeF());
            QCOMPARE(f.weight(), windowFont.weight());
            return;
        }
        QCOMPARE(f.family(), str(expected.font.family));
        QCOMPARE(f.pointSizeF(), expected.font.points);
        QCOMPARE(f.weight(), expected.font.bold ? QFont::Bold : QFont::Normal);
        QVERIFY(!f.italic());
    }

    void textColour_data() { addRows(); }
    void textColour() {
        QFETCH(Expected, expected);
        QWidget* w = built(expected);
        const QPalette::ColorRole role = textRole(expected.kind);
        const QColor want = expected.colour.value_or(m_window->palette().color(role));
        QCOMPARE(w->palette().color(QPalette::Active, role), want);
        QCOMPARE(w->palette().color(QPalette::Inactive, role), want);
    }

    void alignmentAndBorder_data() { addRows(); }
    void alignmentAndBorder() {
        QFETCH(Expected, expected);
        QWidget* w = built(expected);
        if (const auto alignment = alignmentOf(*w)) {
            const Qt::Alignment horizontal = *alignment & Qt::AlignHorizontal_Mask;
            QCOMPARE(horizontal,
                     expected.align == Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft);
        } else {
            QCOMPARE(expected.align, Align::Left);
        }
        if (auto* label = qobject_cast<QLabel*>(w)) {
            QCOMPARE(label->frameShape(), expected.border ? QFrame::Box : QFrame::NoFrame);
        } else {
            QVERIFY(!expected.border);
        }
    }

    void stateAtCreation_data() { addRows(); }
    void stateAtCreation() {
        QFETCH(Expected, expected);
        QWidget* w = built(expected);
        QCOMPARE(w->isEnabled(), expected.enabled);
        QCOMPARE(w->isHidden(), !expected.visible);
        if (auto* option = qobject_cast<QRadioButton*>(w))
            QVERIFY(!option->isChecked());
        if (auto* text = qobject_cast<QLineEdit*>(w)) {
            // 32767 is the longest text a line edit takes: no limit.
            QCOMPARE(text->maxLength(), expected.maxLength > 0 ? expected.maxLength : 32767);
            QVERIFY(!text->isReadOnly());
            QCOMPARE(text->echoMode(), QLineEdit::Normal);
        }
    }
};

VELD_QTEST_MAIN(ControlLayoutTest)
#include "ControlLayoutTest.moc"
