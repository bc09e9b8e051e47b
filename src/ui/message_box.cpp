#include "ui/message_box.h"

#include <QMessageBox>

namespace ormel::ui {

void ShowMessage(QWidget* parent, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::NoIcon, kMessageCaption, text, QMessageBox::Ok, parent);
    box.setObjectName("messageBox");
    box.setInformativeText(detail);
    box.exec();
}

bool AskYesNo(QWidget* parent, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::NoIcon, kMessageCaption, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setObjectName("questionBox");
    box.setDefaultButton(QMessageBox::Yes);
    box.setInformativeText(detail);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace ormel::ui
