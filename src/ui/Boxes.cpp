// The boxes of MainView on line edits, and the modal boxes.
#include "ui/Frmmain.h"

#include <QApplication>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include <algorithm>

#include "ui/Frmkeyin.h"
#include "ui/QtHelpers.h"

namespace kvr {
namespace {

// Window managers cut a caption that is wider than its box; a short message
// such as "存檔完成!!" would make the box that narrow.
// A box with details is wider, so that the cause and the driver's lines read
// without much scrolling.
void FitCaption(QMessageBox& box, int minimumWidth = 0) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) {
        return;
    }
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    // The caption, plus room for the title bar's icon and buttons.
    const int width =
        std::max(minimumWidth, QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 160);
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

// --- boxes -----------------------------------------------------------------

QLineEdit* TfmMain::BoxWidget(Box box) const {
    return boxes_[static_cast<std::size_t>(box)];
}

std::u16string TfmMain::Text(Box box) {
    return BoxWidget(box)->text().toStdU16String();
}

void TfmMain::SetText(Box box, const std::u16string& text) {
    BoxWidget(box)->setText(ToQt(text));
}

namespace {
QColor ColourOf(Colour colour) {
    switch (colour) {
        case Colour::Red:
            return QColor(255, 0, 0);
        case Colour::Blue:
            return QColor(0, 0, 255);
        case Colour::Aqua:
            return QColor(0, 255, 255);
        case Colour::Window:
            break;
    }
    return QApplication::palette().color(QPalette::Base);
}
}  // namespace

void TfmMain::SetNameColour(Colour colour) {
    SetTextColour(edName, QPalette::Text, ColourOf(colour));
}

void TfmMain::SetBoxBackground(Box box, Colour colour) {
    SetTextColour(BoxWidget(box), QPalette::Base, ColourOf(colour));
}

void TfmMain::SetTestEnabled(bool enabled) {
    btnTest->setEnabled(enabled);
}

void TfmMain::ShowMenuItems(bool newItem, bool deleteItem, bool testItem) {
    pmnNew->setVisible(newItem);
    pmnDelete->setVisible(deleteItem);
    pmnTest->setVisible(testItem);
}

// --- modal boxes -----------------------------------------------------------

void TfmMain::ShowMessage(const std::u16string& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), ToQt(text),
                    QMessageBox::Ok, this);
    FitCaption(box);
    box.exec();
}

void TfmMain::ShowMessageWithDetails(const std::u16string& text, const std::u16string& details) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), ToQt(text),
                    QMessageBox::Ok, this);
    box.setDetailedText(ToQt(details));
    FitCaption(box, 520);
    box.exec();
}

void TfmMain::ShowError(const std::u16string& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), ToQt(text),
                    QMessageBox::Ok, this);
    FitCaption(box);
    box.exec();
}

Answer TfmMain::Ask(const std::u16string& text, const std::u16string& caption, Icon icon,
                    DefaultButton defaultButton, Buttons buttons) {
    QMessageBox::StandardButtons shown = QMessageBox::Yes | QMessageBox::No;
    if (buttons == Buttons::YesNoCancel) {
        shown |= QMessageBox::Cancel;
    }
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                    ToQt(caption), ToQt(text), shown, this);
    box.setDefaultButton(defaultButton == DefaultButton::Yes ? QMessageBox::Yes : QMessageBox::No);
    FitCaption(box);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Yes)) {
        return Answer::Yes;
    }
    if (box.clickedButton() == box.button(QMessageBox::No)) {
        return Answer::No;
    }
    // Escape or the window's close.
    return buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::No;
}

std::optional<std::u16string> TfmMain::PromptName() {
    TfmKeyIn dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Text().toStdU16String();
}

}  // namespace kvr
