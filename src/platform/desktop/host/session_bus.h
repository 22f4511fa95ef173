#pragma once

#include <functional>
#include <string>

namespace platform::desktop {

// Where no session bus can be reached, D-Bus clients (Qt's menu and
// accessibility support, SDL) each try to start one by running dbus-launch
// before the first window shows, which costs a process fork apiece and fails.
// Given the environment and a test for files, says whether that is so:
// no bus address set, no bus socket in the runtime folder, and no
// dbus-launch on the PATH or in /usr/bin.
bool sessionBusUnreachable(const std::function<const char*(const char*)>& environment,
                           const std::function<bool(const std::string&)>& exists);

// Sets DBUS_SESSION_BUS_ADDRESS to an address that fails at once where the
// session bus is unreachable anyway; on a desktop it changes nothing.
void skipHopelessSessionBusLaunch();

}  // namespace platform::desktop
