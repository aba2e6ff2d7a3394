#include "support/Panel.h"

#include "serial/PortMap.h"

#include <QAction>
#include <QFile>

namespace veld::test {

namespace {
void fire(QTimer& timer) {
    QMetaObject::invokeMethod(&timer, "timeout", Qt::DirectConnection);
}
} // namespace

QString& logged() {
    static QString lines;
    static const QtMessageHandler print =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& c, const QString& m) {
            lines += QString::fromLatin1(c.category) + u": "_s + m + u'\n';
            print(type, c, m);
        });
    return lines;
}

QSettings Panel::settings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, u"VELD"_s, u"VELD"_s);
}

Panel::Panel() {
    settings().clear();
    for (int n = serial::kFirstPort; n <= serial::kLastPort; ++n)
        map(n, u"/nonexistent/veld-test/COM%1"_s.arg(n));
}

Panel::~Panel() {
    m_window.reset(); // before the ptys it may have open
}

PtyPair& Panel::pty(int n) {
    auto& pty = m_ptys[n];
    if (!pty) {
        pty = std::make_unique<PtyPair>();
        map(n, pty->slavePath());
    }
    return *pty;
}

void Panel::map(int n, const QString& device) {
    qputenv(u"VELD_COM%1"_s.arg(n).toLatin1().constData(), QFile::encodeName(device));
}

void Panel::store(const QString& key, const QString& value) {
    settings().setValue(u"Properties/"_s + key, value);
}

QString Panel::stored(const QString& key) {
    return settings().value(u"Properties/"_s + key).toString();
}

app::frmVELD& Panel::start() {
    m_window.reset();
    m_window = std::make_unique<app::frmVELD>();
    m_window->setMessageBox(
        [this](QWidget*, const QString& title, const QString& text, const QString& detail) {
            if (whileBoxShown)
                whileBoxShown();
            boxes.append({title, text, detail});
        });
    m_window->setClock([this] { return now; });
    m_window->Form_Load();
    return *m_window;
}

app::frmVELD& Panel::open() {
    pty(1);
    start();
    heard(3);
    return *m_window;
}

std::string Panel::portControls() const {
    const Ui::frmVELD& u = ui();
    std::string states;
    for (const QWidget* c : std::initializer_list<const QWidget*>{
             u.cmdSendAscii, u.cmdSetDP, u.cmdSetRTC, u.cmdTemp, u.cmdCDSet, u.cmdTimeStamp,
             u.mnuBaud, u.mnuMbaud, u.mnuStart})
        states += c->isEnabled() ? '+' : '-';
    return states;
}

void Panel::tick() {
    fire(m_window->timer1());
}

void Panel::tick2() {
    fire(m_window->timer2());
}

void Panel::receive(const char* text) {
    pty(1).send(hex(text));
    tick();
}

QByteArray Panel::heard(qsizetype count) {
    return count > 0 ? pty(1).receive(count) : pty(1).receiveFor(30);
}

void Panel::press(QObject* control) {
    if (auto* item = qobject_cast<QAction*>(control)) {
        item->trigger();
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setEnabled(true);
        button->click();
    }
}

} // namespace veld::test
