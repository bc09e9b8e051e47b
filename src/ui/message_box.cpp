#include "ui/message_box.h"

#include <QMessageBox>

namespace ormel::ui {
namespace {

RecordMessages* recorder = nullptr;

}  // namespace

RecordMessages::RecordMessages() : previous_(recorder) {
    recorder = this;
}

RecordMessages::~RecordMessages() {
    recorder = previous_;
}

void ShowMessage(QWidget* parent, const QString& text) {
    if (recorder) {
        recorder->shown_.append(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, kMessageCaption, text, QMessageBox::Ok, parent);
    box.setObjectName("messageBox");
    box.exec();
}

}  // namespace ormel::ui
