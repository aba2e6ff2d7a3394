// The floor for the start-up and footprint figures: the least a Qt 6 program
// needs to put up a window like the panel's, a main window with a menu bar
// over a fixed 723 x 568 client area, and nothing else.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.menuBar()->addMenu(QStringLiteral("&File"));
    auto* client = new QWidget(&window);
    client->setFixedSize(723, 568);
    window.setCentralWidget(client);
    window.show();
    return QApplication::exec();
}
