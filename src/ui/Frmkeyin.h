#pragma once
// The name dialog fmKeyIn: one yellow box, edTxt. Enter accepts the dialog;
// Escape or the window manager's close rejects it. A fresh dialog serves each
// question.
#include <QDialog>

class QLineEdit;

namespace kvr {

class TfmKeyIn : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kClientWidth = 302;
    static constexpr int kClientHeight = 25;

    explicit TfmKeyIn(QWidget* parent = nullptr);

    QString Text() const;
    QLineEdit* Box() const { return edTxt; }

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    QLineEdit* edTxt = nullptr;
};

}  // namespace kvr
