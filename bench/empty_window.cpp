// The yardstick for the tool's start-up: an empty Qt main window of the
// main window's size, with a menu bar, shown as soon as it can be.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Empty window"));
    window.menuBar()->addMenu(QStringLiteral("Файл"));
    window.setCentralWidget(new QWidget);
    window.setFixedSize(692, 482 + window.menuBar()->sizeHint().height());
    window.show();
    return app.exec();
}
