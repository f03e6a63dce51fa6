// The thirteen values of the installation key that switch the server's tasks, in their fixed order.
#pragma once

namespace orn {

inline constexpr const char* kTaskValueNames[] = {
    "Task_CAPI", "Task_CRON", "Task_DHCP", "Task_DNS",  "Task_F4ORN", "Task_FTPGATE", "Task_INET",
    "Task_MAIL", "Task_MAP",  "Task_NTP",  "Task_RTSP", "Task_SOCKS", "Task_WATCH",
};

}  // namespace orn
