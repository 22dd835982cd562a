#include "ui/Frmkeyin.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include "ui/FormFont.h"

namespace kvr {

TfmKeyIn::TfmKeyIn(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("fmKeyIn"));
    setAccessibleDescription(QStringLiteral("fmKeyIn"));
    setWindowTitle(QStringLiteral(u"請輸入KVR別名後按Enter"));
    setFixedSize(kClientWidth, kClientHeight);
    setModal(true);

    QFont dialogFont;
    dialogFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")});
    dialogFont.setPixelSize(11);
    setFont(dialogFont);

    edTxt = new QLineEdit(this);
    edTxt->setObjectName(QStringLiteral("edTxt"));
    edTxt->setAccessibleDescription(QStringLiteral("edTxt"));
    edTxt->setGeometry(0, 0, 305, 29);
    edTxt->setFont(FormFont(21));
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
