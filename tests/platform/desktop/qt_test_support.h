#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <vector>

#include "platform/desktop/host/qt_host.h"
#include "platform/desktop/input/key_repeat_filter.h"
#include "platform/form.h"

namespace platform::desktop::testing {

using Actions = std::vector<KeyAction>;

inline KeyAction down(std::int16_t key, std::int16_t shift = 0) {
    return {KeyAction::Kind::Down, key, shift};
}
inline KeyAction up(std::int16_t key, std::int16_t shift = 0) {
    return {KeyAction::Kind::Up, key, shift};
}

// A host whose end is recorded instead of leaving the test's event loop.
class HostTest : public ::testing::Test {
protected:
    void showAndActivate(Form& form) {
        host.showForm(form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.windowOf(form)));
    }

    std::vector<int> quitCodes;
    QtHost host{{}, [this](int code) { quitCodes.push_back(code); }};
};

// A window with one button that records its key events.
class KeyForm : public Form {
public:
    KeyForm() : Form("Keys", 6000, 4500) {
        controls = {&okButton};
        okButton.onClick = [this] { ++clicks; };
    }
    void keyDown(std::int16_t keyCode, std::int16_t shift) override {
        keys.push_back(down(keyCode, shift));
    }
    void keyUp(std::int16_t keyCode, std::int16_t shift) override {
        keys.push_back(up(keyCode, shift));
    }

    CommandButton okButton{"cmdOk", "OK", 600, 600, 2400, 600};
    Actions keys;
    int clicks = 0;
};

}  // namespace platform::desktop::testing
