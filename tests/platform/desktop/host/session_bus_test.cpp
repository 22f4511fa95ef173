#include "platform/desktop/host/session_bus.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace platform::desktop {
namespace {

TEST(SessionBus, IsUnreachableOnlyWithoutAddressSocketOrLauncher) {
    const struct {
        std::map<std::string, std::string> env;
        std::set<std::string> files;
        bool unreachable;
    } cases[] = {
        {{{"PATH", "/bin"}}, {}, true},
        {{{"DBUS_SESSION_BUS_ADDRESS", ""}, {"XDG_RUNTIME_DIR", "/run/u"}}, {"/run/other"}, true},
        {{{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/x"}}, {}, false},
        {{{"XDG_RUNTIME_DIR", "/run/u"}}, {"/run/u/bus"}, false},
        {{{"PATH", "/opt/x:/bin"}}, {"/bin/dbus-launch"}, false},
        {{}, {"/usr/bin/dbus-launch"}, false},
    };
    for (const auto& c : cases) {
        const auto environment = [&c](const char* name) -> const char* {
            const auto found = c.env.find(name);
            return found == c.env.end() ? nullptr : found->second.c_str();
        };
        const auto exists = [&c](const std::string& file) { return c.files.count(file) > 0; };
        EXPECT_EQ(sessionBusUnreachable(environment, exists), c.unreachable)
            << (c.files.empty() ? "" : *c.files.begin());
    }
}

}  // namespace
}  // namespace platform::desktop
