#pragma once

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QString>
#include <functional>
#include <vector>

#include "platform/form.h"
#include "platform/qt/key_repeat_filter.h"
#include "platform/qt/qt_host.h"

namespace platform::qt::testing {

// A host whose end is recorded instead of leaving the test's event loop.
class HostTest : public ::testing::Test {
protected:
    // Shows a loaded form and waits until its window is active.
    void showAndActivate(Form& form);

    std::vector<int> quitCodes;
    QtHost host{{}, [this](int code) { quitCodes.push_back(code); }};
};

// A small window that records its key events.
class KeyForm : public Form {
public:
    KeyForm();
    void keyDown(std::int16_t keyCode, std::int16_t shift) override {
        keys.push_back({KeyAction::Kind::Down, keyCode, shift});
    }
    void keyUp(std::int16_t keyCode, std::int16_t shift) override {
        keys.push_back({KeyAction::Kind::Up, keyCode, shift});
    }

    CommandButton okButton{"cmdOk", "OK", 600, 600, 2400, 600};
    std::vector<KeyAction> keys;
    int clicks = 0;
};

// What a message box showed before it was closed.
struct SeenBox {
    bool closed = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    QWidget* parent = nullptr;
};

// Closes the first application-modal message box that is up after delayMs,
// recording it; `before` runs just before it is closed.
void closeMessageBoxLater(SeenBox& seen, int delayMs, std::function<void()> before = {});

}  // namespace platform::qt::testing
