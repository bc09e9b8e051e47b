#include "ui/message_box.h"

#include <QMessageBox>

namespace ormel::ui {

void ShowMessage(QWidget* parent, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::NoIcon, kMessageCaption, text, QMessageBox::Ok, parent);
    box.setObjectName("messageBox");
    box.setInformativeText(detail);
    box.exec();
}

}  // namespace ormel::ui
