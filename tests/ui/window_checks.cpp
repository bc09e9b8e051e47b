#include "window_checks.h"

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QWidget>

namespace ormel::test {

void VerifyNoWindowLeft() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList left = QApplication::topLevelWidgets();
    QStringList names;
    for (QWidget* window : left) {
        names << QString("%1 (%2)").arg(window->objectName(), window->metaObject()->className());
    }
    qDeleteAll(left);
    QVERIFY2(names.isEmpty(), qPrintable("windows left open: " + names.join(", ")));
}

}  // namespace ormel::test
