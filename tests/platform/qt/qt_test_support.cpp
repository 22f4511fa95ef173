#include "qt_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace platform::qt::testing {

void HostTest::showAndActivate(Form& form) {
    host.showForm(form);
    FormWindow* window = host.windowOf(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

KeyForm::KeyForm() : Form("Keys", 6000, 4500) {
    controls = {&okButton};
    okButton.onClick = [this] { ++clicks; };
}

void closeMessageBoxLater(SeenBox& seen, int delayMs, std::function<void()> before) {
    auto* poll = new QTimer(qApp);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, poll, [&seen, poll, started, delayMs, before] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || started->elapsed() < delayMs) {
            return;
        }
        poll->deleteLater();
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttonCount = int(box->buttons().size());
        seen.parent = box->parentWidget();
        if (before) {
            before();
        }
        seen.closed = true;
        box->accept();
    });
    poll->start(5);
}

}  // namespace platform::qt::testing
