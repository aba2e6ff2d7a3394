// The floor for the start-up and footprint figures: the least a Qt 6 program
// needs to put up a window like the panel's, a main window with a menu bar
// over a fixed 723 x 568 client area, and nothing else.
//
// With --clock it also keeps a clock label current from a 500 ms timer, as the
// panel's first poll timer does: the floor for the idle cost of a window that
// wakes twice a second and repaints a label once a second.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QTime>
#include <QTimer>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const bool clock = QCoreApplication::arguments().contains(QStringLiteral("--clock"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.menuBar()->addMenu(QStringLiteral("&File"));
    auto* client = new QWidget(&window);
    client->setFixedSize(723, 568);
    window.setCentralWidget(client);

    QTimer timer;
    if (clock) {
        auto* label = new QLabel(client);
        label->setGeometry(8, 8, 120, 24);
        timer.setInterval(500);
        QObject::connect(&timer, &QTimer::timeout, label, [label] {
            const QString now = QTime::currentTime().toString(QStringLiteral("h:mm:ss"));
            if (label->text() != now)
                label->setText(now);
        });
        timer.start();
    }
    window.show();
    return QApplication::exec();
}
