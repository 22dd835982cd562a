#include "ui/Frmkeyin.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include <algorithm>

#include "ui/FormFont.h"

namespace kvr {

TfmKeyIn::TfmKeyIn(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("fmKeyIn"));
    setAccessibleDescription(QStringLiteral("fmKeyIn"));
    setWindowTitle(QStringLiteral(u"請輸入KVR別名後按Enter"));
    setModal(true);
    // No border icons: no minimise or maximise box, whatever the window
    // manager would add to a dialog by default.
    setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
    setWindowFlag(Qt::WindowSystemMenuHint, false);

    QFont dialogFont;
    dialogFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")});
    dialogFont.setPixelSize(11);
    setFont(dialogFont);

    edTxt = new QLineEdit(this);
    edTxt->setObjectName(QStringLiteral("edTxt"));
    edTxt->setAccessibleDescription(QStringLiteral("edTxt"));
    edTxt->setFont(FormFont(21));
    // The box fills the dialog and is as high as its font needs: a box taller
    // than the dialog would lose the descenders of what is typed.
    const int height = std::max({kClientHeight, 29, edTxt->sizeHint().height()});
    setFixedSize(kClientWidth, height);
    edTxt->setGeometry(0, 0, kClientWidth, height);
    QPalette palette = edTxt->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 0));
    palette.setColor(QPalette::Text, QColor(0, 0, 255));
    edTxt->setPalette(palette);
    // Escape reaches QDialog, which rejects; a close from the window manager
    // rejects too.
    connect(edTxt, &QLineEdit::returnPressed, this, &QDialog::accept);
}

QString TfmKeyIn::Text() const {
    return edTxt->text();
}

void TfmKeyIn::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    edTxt->setFocus();
}

}  // namespace kvr
