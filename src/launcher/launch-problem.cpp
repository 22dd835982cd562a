// launch-problem TEXT: the desktop menu's word when it starts nothing. Shows
// TEXT in an error box titled Kavrolis, and writes it to standard error for
// a start without a display.
#include <QApplication>
#include <QMessageBox>

#include <iostream>
#include <string>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: launch-problem TEXT\n";
        return 2;
    }
    const std::string text = argv[1];  // taken before Qt reads the arguments
    std::cerr << text << '\n' << std::flush;
    QApplication app(argc, argv);
    QMessageBox::critical(nullptr, QStringLiteral("Kavrolis"), QString::fromStdString(text));
    return 1;
}
